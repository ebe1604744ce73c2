#pragma once

#include <QObject>

class AppContext;
class MainHost;
class frmMsgView;

// What the viewer's commands do to the log and around it: move to the trash,
// restore and purge the selected records, lock and unlock the log, print the
// shown message and change the viewer's look. Made as a child of the viewer,
// it answers the viewer's request signals (which enables their menu items and
// keys) and hands the rewrites to LogRewrite, under the log's claim.
class ViewerCommands : public QObject
{
    Q_OBJECT

public:
    ViewerCommands(AppContext& ctx, MainHost& host, frmMsgView& viewer);

    void DG_Delete();
    void DG_Return();
    void DG_Delete2();
    void mnuLock_Click();
    void mnuUnlock_Click();
    void mnuPrint_Click();
    void mnuSettei_Click();

private:
    enum class TrashCommand { Move, Restore, Purge };
    void runTrash(TrashCommand command);

    AppContext& m_ctx;
    MainHost& m_host;
    frmMsgView& m_viewer;
};
