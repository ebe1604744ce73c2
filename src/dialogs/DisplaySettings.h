#pragma once

#include <QString>

#include <array>

// What the display settings dialog sets: the grid's four colours (settings
// 69 to 72) and the background of an overdue return (77), its font (73, 74), its row height (75, held × 10) and the two
// start-up windows (80, 102), with the values "初期値に戻す" gives back.
namespace DisplaySettings {

inline constexpr int FirstColor = 69;
inline constexpr int OverdueColor = 77;
inline constexpr int ColorCount = 5;
// The setting of colour button index (0 to 3: 69 to 72; 4: the overdue return).
constexpr int colorSetting(int index)
{
    return index < 4 ? FirstColor + index : OverdueColor;
}
inline constexpr int FontName = 73;
inline constexpr int FontSize = 74;
inline constexpr int RowHeight = 75;
inline constexpr int ShowMemo = 80;
inline constexpr int ShowBanner = 102;

// Window background, window text, window background, window text, light red.
const std::array<qint32, ColorCount>& defaultColors();
QString defaultFontName();
inline constexpr double DefaultFontSize = 10;
inline constexpr int DefaultHeight = 22;

// The row height box: a whole number 0 to 9999, blanks around it allowed.
enum class HeightCheck { Ok, NotNumeric, OutOfRange };
HeightCheck checkHeight(const QString& text, int* height = nullptr);

// What the box shows for a stored height (225 shows as 22).
QString heightText(int stored);

} // namespace DisplaySettings
