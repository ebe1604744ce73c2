#pragma once

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

// Window and grid measures are stored in twips (1440 per inch); the screen's
// logical resolution turns them into pixels.
namespace Twips {

inline double dpi()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

inline int toPixels(double twips)
{
    return int(std::lround(twips * dpi() / 1440.0));
}

inline double fromPixels(int pixels)
{
    return std::round(pixels * 1440.0 / dpi());
}

} // namespace Twips
