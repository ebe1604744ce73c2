#include "messaging/MessageSettings.h"

#include "common/TypedNumber.h"

#include "startup/AppContext.h"

namespace MessageSettings {

namespace {
QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

Values load(const AppContext& ctx)
{
    const Settings& s = ctx.settings();
    Values v;
    v.interval = s.intValue(37);
    v.alwaysOnTop = s.intValue(38) == 1;
    v.bringToFront = s.intValue(51) == 1;
    v.cursorMark = s.intValue(39) == 1;
    v.trayBlink = s.intValue(40) == 1;
    v.notify = s.intValue(SettingNo::Notify) == 1;
    return v;
}

bool parseInterval(const QString& text, int* seconds)
{
    const std::optional<int> n = parseTypedNumber(text, 9999);
    if (n)
        *seconds = *n;
    return n.has_value();
}

QString intervalErrorText()
{
    return QStringLiteral("メッセージを受信する時間を正しく入力してください");
}

bool store(AppContext& ctx, const Values& v)
{
    IniFile& ini = ctx.iniFile();
    bool ok = ini.store(37, QString::number(v.interval));
    ok = ini.store(51, flag(v.bringToFront)) && ok;
    ok = ini.store(38, flag(v.alwaysOnTop)) && ok;
    ok = ini.store(39, flag(v.cursorMark)) && ok;
    ok = ini.store(40, flag(v.trayBlink)) && ok;
    ok = ini.store(SettingNo::Notify, flag(v.notify)) && ok;
    return ok;
}

} // namespace MessageSettings
