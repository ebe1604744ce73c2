#include "platform/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace SystemColors {

namespace {

QColor systemColor(int index)
{
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 0: return pal.color(QPalette::Button);                          // scroll bar
    case 1: return pal.color(QPalette::Dark);                            // desktop
    case 2: return pal.color(QPalette::Active, QPalette::Highlight);     // active caption
    case 3: return pal.color(QPalette::Inactive, QPalette::Highlight);   // inactive caption
    case 4: return pal.color(QPalette::Window);                          // menu
    case 5: return pal.color(QPalette::Base);                            // window
    case 6: return pal.color(QPalette::Shadow);                          // window frame
    case 7: return pal.color(QPalette::WindowText);                      // menu text
    case 8: return pal.color(QPalette::Text);                            // window text
    case 9: return pal.color(QPalette::Active, QPalette::HighlightedText); // caption text
    case 10: return pal.color(QPalette::Mid);                            // active border
    case 11: return pal.color(QPalette::Midlight);                       // inactive border
    case 12: return pal.color(QPalette::Dark);                           // application workspace
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Button);                         // button face
    case 16: return pal.color(QPalette::Mid);                            // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text);       // grey text
    case 18: return pal.color(QPalette::ButtonText);
    case 19: return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20: return pal.color(QPalette::Light);                           // button highlight
    case 21: return pal.color(QPalette::Shadow);                          // 3D dark shadow
    case 22: return pal.color(QPalette::Midlight);                        // 3D light
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    default: return pal.color(QPalette::Base);
    }
}

} // namespace

QColor fromSetting(qint32 value)
{
    const quint32 v = quint32(value);
    if (v & 0x80000000u)
        return systemColor(int(v & 0xFFu));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 toSetting(const QColor& color)
{
    return qint32(quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16);
}

} // namespace SystemColors
