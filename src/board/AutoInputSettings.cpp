#include "board/AutoInputSettings.h"

#include "common/TypedNumber.h"

#include "startup/IniFile.h"
#include "startup/Settings.h"

namespace {
constexpr int kDestination[AutoInputSettings::PairCount] = {58, 59, 67, 105, 107};
constexpr int kReturn[AutoInputSettings::PairCount] = {60, 61, 68, 106, 108};
} // namespace

AutoInputSettings AutoInputSettings::load(const Settings& s)
{
    AutoInputSettings a;
    a.atStart = s.intValue(56) == 1;
    a.atExit = s.intValue(57) == 1;
    a.afterSet = s.intValue(66) == 1;
    for (int i = 0; i < PairCount; ++i)
        a.pairs[std::size_t(i)] = {s.text(kDestination[i]), s.text(kReturn[i])};
    a.minutes = s.intValue(SettingNo::InactivityTime) / 60;
    return a;
}

std::optional<int> AutoInputSettings::parseMinutes(const QString& text)
{
    return parseTypedNumber(text, MaxMinutes);
}

bool AutoInputSettings::save(IniFile& ini) const
{
    for (const Pair& p : pairs)
        if (!ini.checkStorable(p.destination) || !ini.checkStorable(p.expectedReturn))
            return false;
    auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    bool ok = ini.store(56, flag(atStart));
    ok = ini.store(57, flag(atExit)) && ok;
    ok = ini.store(66, flag(afterSet)) && ok;
    for (int i = 0; i < PairCount; ++i) {
        ok = ini.store(kDestination[i], pairs[std::size_t(i)].destination) && ok;
        ok = ini.store(kReturn[i], pairs[std::size_t(i)].expectedReturn) && ok;
    }
    ok = ini.store(SettingNo::InactivityTime, QString::number(minutes)) && ok;
    return ok;
}
