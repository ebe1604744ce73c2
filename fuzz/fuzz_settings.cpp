// The settings file "Porlune.INI": 128-byte records read at start-up, the
// missing and unusable ones written back with their defaults.
#include "FuzzSupport.h"

#include "startup/AppContext.h"
#include "startup/IniFile.h"
#include "startup/Settings.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::clearFolder();
    Fuzz::Copy copy;
    const QString path = copy.ctx().settingsPath();
    Fuzz::writeFile(QFileInfo(path).fileName(), Fuzz::bytes(data, size));
    if (!copy.ctx().iniFile().Inifile_Read())
        __builtin_trap();
    const Settings& s = copy.ctx().settings();
    for (const SettingDef& d : Settings::definitions()) {
        (void)s.intValue(d.number);
        (void)s.realValue(d.number);
        (void)s.text(d.number);
        (void)s.storedText(d.number);
    }
    for (int board = 1; board <= Settings::BoardCount; ++board)
        (void)s.boardDigit(SettingNo::BoardShown, board);

    // What was read and written back reads the same at the next start.
    Fuzz::Copy next;
    if (!next.ctx().iniFile().Inifile_Read())
        __builtin_trap();
    for (const SettingDef& d : Settings::definitions()) {
        if (next.ctx().settings().storedText(d.number) != s.storedText(d.number))
            __builtin_trap();
    }
    return 0;
}
