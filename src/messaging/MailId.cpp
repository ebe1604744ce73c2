#include "messaging/MailId.h"

#include "startup/AppContext.h"

namespace MailId {

int next(int id)
{
    if (id < First || id >= Last)
        return First;
    return id + 1;
}

int current(const AppContext& ctx)
{
    const int id = ctx.settings().intValue(SettingNo::MailId);
    return id >= First && id <= Last ? id : First;
}

bool advance(AppContext& ctx)
{
    return ctx.iniFile().store(SettingNo::MailId, QString::number(next(current(ctx))));
}

} // namespace MailId
