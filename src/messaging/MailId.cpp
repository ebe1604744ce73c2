#include "messaging/MailId.h"

#include "messaging/MailNames.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
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

int currentFree(const AppContext& ctx, const QStringList& recipients)
{
    const QString rcv = ctx.programPath(MailNames::rcvFolder());
    const int start = current(ctx);
    int id = start;
    do {
        bool taken = false;
        for (const QString& name : recipients)
            if (MailNames::isUsableName(name) && Fs::exists(Paths::join(rcv, MailNames::rcvFileName(name, id)))) {
                taken = true;
                break;
            }
        if (!taken)
            return id;
        id = next(id);
    } while (id != start);
    return start;
}

bool advance(AppContext& ctx)
{
    return advanceFrom(ctx, current(ctx));
}

bool advanceFrom(AppContext& ctx, int used)
{
    return ctx.iniFile().store(SettingNo::MailId, QString::number(next(used)));
}

} // namespace MailId
