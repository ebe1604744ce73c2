#include "dialogs/GeneralSettings.h"

#include "common/TypedNumber.h"

#include "startup/IniFile.h"
#include "startup/Settings.h"

GeneralSettings GeneralSettings::load(const Settings& s)
{
    GeneralSettings g;
    g.refreshSeconds = s.intValue(41);
    g.ftpMinutes = s.intValue(SettingNo::FtpInterval) / 60;
    g.closeMinimizes = s.intValue(42) == 1;
    g.hideFromTaskBar = s.intValue(43) == 1;
    g.functionKeys = s.intValue(52) == 1;
    g.escMinimizes = s.intValue(76) == 1;
    g.refreshOnRestore = s.intValue(55) == 1;
    g.hotKeyOn = s.intValue(63) == 1;
    g.hotKey = s.intValue(64);
    g.whereaboutsLog = s.intValue(65) == 1;
    return g;
}

std::optional<int> GeneralSettings::parseInterval(const QString& typed, int max)
{
    return parseTypedNumber(typed, max);
}

bool GeneralSettings::save(IniFile& ini) const
{
    auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    bool ok = ini.store(41, QString::number(refreshSeconds));
    ok = ini.store(SettingNo::FtpInterval, QString::number(ftpMinutes)) && ok;
    ok = ini.store(42, flag(closeMinimizes)) && ok;
    ok = ini.store(43, flag(hideFromTaskBar)) && ok;
    ok = ini.store(52, flag(functionKeys)) && ok;
    ok = ini.store(76, flag(escMinimizes)) && ok;
    ok = ini.store(55, flag(refreshOnRestore)) && ok;
    ok = ini.store(63, flag(hotKeyOn)) && ok;
    ok = ini.store(64, QString::number(hotKeyOn ? hotKey : 0)) && ok;
    ok = ini.store(65, flag(whereaboutsLog)) && ok;
    return ok;
}
