#include "messaging/frmReceive.h"

#include "messaging/MailNames.h"
#include "startup/AppContext.h"

frmReceive::frmReceive(AppContext& ctx, MainHost& main)
    : PendingListWindow(ctx, main, QStringLiteral("frmReceive"), QStringLiteral("未受信メッセージ一覧"),
                        QStringLiteral("  　送信日時 　 |　送信先"), 100)
{
    fill();
}

QList<PendingLists::Entry> frmReceive::entries() const
{
    return PendingLists::unread(folder());
}

QString frmReceive::folder() const
{
    return m_ctx.programPath(MailNames::rcvFolder());
}

QString frmReceive::lookCaption(const PendingLists::Entry& e) const
{
    return PendingLists::unreadCaption(e);
}
