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

// The twips to store for a measure now of pixels that was read as stored: the
// stored number itself while it still gives those pixels, so a measure the
// user did not change is written back as it was read (15 twips a pixel at 96
// dots per inch would turn 7400 into 7395 otherwise).
inline double fromPixels(int pixels, double stored)
{
    return toPixels(stored) == pixels ? stored : fromPixels(pixels);
}

} // namespace Twips

#include <QFont>

namespace Twips {

// A font of a point size as Windows sizes it: a whole number of pixels at the
// screen's resolution (10 points at 96 dots per inch are 13 pixels).
inline QFont fontOf(const QString& family, double points)
{
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(points * dpi() / 72.0))));
    return f;
}

} // namespace Twips
