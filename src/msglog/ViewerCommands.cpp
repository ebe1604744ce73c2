#include "msglog/ViewerCommands.h"

#include "msglog/LogRewrite.h"
#include "msglog/frmBar.h"
#include "msglog/frmMsgView.h"
#include "msglog/frmPass2.h"
#include "msglog/frmPrint.h"
#include "msglog/frmVHSettei.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

namespace {

const QString kRestoreError = QStringLiteral("復元エラー");

// The viewer is disabled while a rewrite runs under its progress window.
class BusyPass
{
public:
    BusyPass(frmMsgView& viewer, const QString& caption) : m_viewer(viewer)
    {
        m_viewer.setBusy(true);
        m_bar = std::make_unique<frmBar>(&viewer, caption, 1);
    }
    ~BusyPass()
    {
        m_bar.reset();
        m_viewer.setBusy(false);
    }
    void done() { m_bar->step(1); }

private:
    frmMsgView& m_viewer;
    std::unique_ptr<frmBar> m_bar;
};

} // namespace

ViewerCommands::ViewerCommands(AppContext& ctx, MainHost& host, frmMsgView& viewer)
    : QObject(&viewer), m_ctx(ctx), m_host(host), m_viewer(viewer)
{
    connect(&viewer, &frmMsgView::moveToTrashRequested, this, &ViewerCommands::DG_Delete);
    connect(&viewer, &frmMsgView::restoreRequested, this, &ViewerCommands::DG_Return);
    connect(&viewer, &frmMsgView::purgeRequested, this, &ViewerCommands::DG_Delete2);
    connect(&viewer, &frmMsgView::lockRequested, this, &ViewerCommands::mnuLock_Click);
    connect(&viewer, &frmMsgView::unlockRequested, this, &ViewerCommands::mnuUnlock_Click);
    connect(&viewer, &frmMsgView::printRequested, this, &ViewerCommands::mnuPrint_Click);
    connect(&viewer, &frmMsgView::settingsRequested, this, &ViewerCommands::mnuSettei_Click);
}

void ViewerCommands::DG_Delete()
{
    runTrash(TrashCommand::Move);
}

void ViewerCommands::DG_Return()
{
    runTrash(TrashCommand::Restore);
}

void ViewerCommands::DG_Delete2()
{
    runTrash(TrashCommand::Purge);
}

void ViewerCommands::runTrash(TrashCommand command)
{
    if (m_viewer.busy())
        return;
    const QList<qint64> numbers = m_viewer.selectedRecords();
    // Nothing selected changes nothing: no rewrite, and the last ".bak" stays.
    if (numbers.isEmpty())
        return;
    IMessageBox& box = m_ctx.msgBox();
    if (command == TrashCommand::Purge
        && box.show({QStringLiteral("ゴミ箱から削除すると、元に戻せません\n削除しますか？"), QStringLiteral("削除の確認"),
                     MsgIcon::Exclamation, MsgButtons::YesNo, 1, true})
               != MsgResult::Yes)
        return;

    const QString path = m_viewer.logPath();
    LogRewrite::Result r;
    {
        const QString caption = command == TrashCommand::Move ? QStringLiteral("ゴミ箱に移動しています．．．")
            : command == TrashCommand::Restore ? QStringLiteral("ゴミ箱から元に戻す処理を行っています．．．")
                                               : QStringLiteral("削除処理を行っています．．．");
        BusyPass pass(m_viewer, caption);
        const auto& table = m_viewer.log().table();
        r = command == TrashCommand::Move ? LogRewrite::moveToTrash(path, m_viewer.loadStamp(), table, numbers)
            : command == TrashCommand::Restore ? LogRewrite::restore(path, m_viewer.loadStamp(), table, numbers)
                                               : LogRewrite::purge(path, m_viewer.loadStamp(), table, numbers);
        pass.done();
    }
    switch (r.outcome) {
    case LogRewrite::Outcome::Done:
        if (r.changedRecords > 0)
            m_viewer.rebuild();
        return;
    case LogRewrite::Outcome::Changed:
    case LogRewrite::Outcome::Damaged: {
        const QString what = command == TrashCommand::Restore ? QStringLiteral("元に戻す処理が出来ません。")
                                                              : QStringLiteral("削除処理出来ません。");
        if (box.show({QStringLiteral("メッセージログの内容が変更されたので") + what
                          + QStringLiteral("\nメッセージログを再読込しますか？"),
                      QStringLiteral("ファイル日付エラー"), MsgIcon::Stop, MsgButtons::YesNo, 0, true})
            == MsgResult::Yes)
            m_viewer.rebuild();
        return;
    }
    default:
        reportFileError(box, command == TrashCommand::Move ? QStringLiteral("(DG_Delete")
                                 : command == TrashCommand::Restore ? QStringLiteral("(DG_Return")
                                                                    : QStringLiteral("(DG_Delete2"),
                        path, FileErrorKind::Write, r.error);
        return;
    }
}

void ViewerCommands::mnuLock_Click()
{
    if (m_viewer.busy())
        return;
    const std::optional<QString> password = frmPass2::ask(&m_viewer, m_ctx.msgBox(), frmPass2::SetPassword);
    if (!password)
        return;
    LogRewrite::Result r;
    {
        BusyPass pass(m_viewer, QStringLiteral("暗号化しています．．．"));
        r = LogRewrite::lock(m_viewer.logPath(), *password);
        pass.done();
    }
    if (r.outcome == LogRewrite::Outcome::FileError) {
        reportFileError(m_ctx.msgBox(), QStringLiteral("(mnuLock_Click"), m_viewer.logPath(), FileErrorKind::Write,
                        r.error);
        return;
    }
    // Another copy may have locked it meanwhile: the reload shows it as it is.
    if (r.outcome == LogRewrite::Outcome::Done)
        m_viewer.setPassword(*password);
    m_viewer.reloadDateTree();
}

void ViewerCommands::mnuUnlock_Click()
{
    if (m_viewer.busy())
        return;
    const std::optional<QString> password = frmPass2::ask(&m_viewer, m_ctx.msgBox(), frmPass2::EnterPassword);
    if (!password)
        return;
    LogRewrite::Result r;
    {
        BusyPass pass(m_viewer, QStringLiteral("暗号化を解除しています．．．"));
        r = LogRewrite::unlock(m_viewer.logPath(), *password);
        pass.done();
    }
    switch (r.outcome) {
    case LogRewrite::Outcome::Done:
        m_viewer.reloadDateTree();
        return;
    case LogRewrite::Outcome::WrongPassword:
        m_ctx.msgBox().show({QStringLiteral("パスワードが暗号化された時のものと違います\n正しいパスワードを入力してください"),
                             kRestoreError, MsgIcon::Stop, MsgButtons::Ok, 0, true});
        return;
    case LogRewrite::Outcome::FileError:
        reportFileError(m_ctx.msgBox(), QStringLiteral("(mnuUnlock_Click"), m_viewer.logPath(), FileErrorKind::Write,
                        r.error);
        return;
    default:
        m_ctx.msgBox().show({QStringLiteral("このファイルは、暗号化されていないか、\n暗号化情報が正しくないため、復元出来ません"),
                             kRestoreError, MsgIcon::Stop, MsgButtons::Ok, 0, true});
        return;
    }
}

void ViewerCommands::mnuPrint_Click()
{
    const QString text = m_viewer.messagePaneText();
    if (text.isEmpty()) {
        m_ctx.msgBox().show({QStringLiteral("メッセージが選択されていません"), QStringLiteral("印刷エラー"), MsgIcon::Stop,
                             MsgButtons::Ok, 0, true});
        return;
    }
    frmPrint window(m_ctx, m_host, text, &m_viewer);
    window.exec();
}

void ViewerCommands::mnuSettei_Click()
{
    frmVHSettei window(m_ctx, m_host, [this] { m_viewer.applyLook(); }, &m_viewer);
    window.exec();
}
