#pragma once

#include <QColor>

// Colours as the settings store them: a 32-bit number holding 0x00BBGGRR, or a
// system colour when the top bit is set (0x80000000 + index: 5 is the window
// background, 8 the window text, and so on), taken from the current palette.
namespace SystemColors {

QColor fromSetting(qint32 value);
qint32 toSetting(const QColor& color);

inline constexpr qint32 WindowBackground = qint32(0x80000005u);
inline constexpr qint32 WindowText = qint32(0x80000008u);

} // namespace SystemColors
