#pragma once

#include <QString>

class AppContext;

// The viewer's look as the settings file keeps it: five colours (94 to 97,
// 101), the font (98 name, 99 size) and the grid's row height (100, twips).
namespace ViewerSettings {

// The colour settings in the order the settings window lists them.
inline constexpr int ColorSettings[5] = {94, 95, 96, 97, 101};

// What "初期値に戻す" stores.
QString defaultText(int number);
inline constexpr int DefaultRowHeightShown = 22; // stored as 220

enum class GridHeightCheck { Ok, NotNumeric, OutOfRange };
// The row height as typed (the number shown, a tenth of the stored twips):
// numeric and from 0 to 9999. twips receives the value to store when Ok.
GridHeightCheck checkGridHeight(const QString& typed, int* twips = nullptr);

// Stores every default of the window (colours, font, row height). False when
// the settings file refused a write (already reported).
bool storeDefaults(AppContext& ctx);

} // namespace ViewerSettings
