#include "messaging/frmUnsent.h"

#include "board/MainHost.h"
#include "messaging/MailNames.h"
#include "messaging/ScheduledMail.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"

frmUnsent::frmUnsent(AppContext& ctx, MainHost& main)
    : PendingListWindow(ctx, main, QStringLiteral("frmUnsent"), QStringLiteral("未送信メッセージ一覧"),
                        QStringLiteral("    送信予定日時   |　送信先"), 23)
{
    m_main.holdScheduledDispatch(true);
    fill();
}

void frmUnsent::done(int result)
{
    if (!m_released) {
        m_released = true;
        m_main.holdScheduledDispatch(false);
    }
    PendingListWindow::done(result);
}

QList<PendingLists::Entry> frmUnsent::entries() const
{
    return PendingLists::unsent(folder());
}

QString frmUnsent::folder() const
{
    return m_ctx.programPath(MailNames::timFolder());
}

QString frmUnsent::lookCaption(const PendingLists::Entry& e) const
{
    return PendingLists::unsentCaption(e);
}

void frmUnsent::afterDelete(bool gone)
{
    m_ctx.earliestSendTime() = TimerMail_Next(m_ctx);
    if (gone)
        m_ctx.msgBox().show({QStringLiteral("このメッセージはすでに送信されたため、削除できませんでした"),
                             QStringLiteral("未送信メッセージ一覧"), MsgIcon::Information, MsgButtons::Ok});
}
