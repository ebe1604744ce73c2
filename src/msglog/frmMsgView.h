#pragma once

#include "msglog/LogGridModel.h"
#include "msglog/LogView.h"
#include "platform/FileOps.h"

#include <QMainWindow>

class AppContext;
class MainHost;
class QAction;
class QComboBox;
class QFrame;
class QMenu;
class QTableView;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

// "メッセージビューワ": the message log as a tree by date or person (left),
// the records of the chosen node in a grid (right, top) and the chosen
// record's text (right, bottom). Modeless; the main window keeps one at a time.
//
// Hooks for the windows that act on the log (trash, lock, print, settings):
//  - commands: connecting to a request signal enables its menu item (and the
//    Delete / Backspace keys for the trash requests) under the rules of the
//    current node and the locked state; nothing is enabled unconnected.
//  - selectedRecords(): record numbers (from 1, as LogRewrite takes them) of
//    the grid rows selected now, in row order.
//  - currentNodeKey(): the node clicked last (empty after a search);
//    inTrashNode() tells whether it is the trash node.
//  - loadStamp(), logPath(), log(): what the rewrites check against.
//  - rebuild(): after a rewrite, loads the log again, builds the tree of the
//    current sort entry, selects the node of the saved key and fills the grid.
//  - reloadDateTree(): after lock and unlock, loads and builds the date tree.
//  - setBusy(): disables the window while a pass runs under a frmBar.
//  - setPassword(): the password just set by a lock, so the reload does not
//    ask for it again.
//  - applyLook(): re-reads the display settings (94 to 101) and redraws.
class frmMsgView : public QMainWindow
{
    Q_OBJECT

public:
    frmMsgView(AppContext& ctx, MainHost& host);
    ~frmMsgView() override;

    // Whether the log of setting 32 can be opened for reading.
    static bool canOpenLog(const QString& path);

    // Opening: pauses the main window's message timers, lays the window out
    // from the settings, loads the log and builds the date tree.
    void Form_Load();

    // Hooks (see above).
    QList<qint64> selectedRecords() const;
    LogView::NodeKey currentNodeKey() const { return m_currentKey; }
    bool inTrashNode() const { return m_currentKey.isTrash(); }
    const LogView::Model& log() const { return m_log; }
    Fs::FileStamp loadStamp() const { return m_stamp; }
    QString logPath() const;
    bool lockedLog() const { return m_locked; }
    void setPassword(const QString& password);
    void rebuild();
    void reloadDateTree();
    void setBusy(bool busy);
    bool busy() const { return m_busy; }
    void applyLook();

    // The text of the message pane (empty when no record is shown).
    QString messagePaneText() const;
    // The record shown in the message pane (-1: none).
    qint64 shownRecord() const { return m_shown; }

    // Window routines, callable as the events call them.
    void cboTVSort_Click();
    void TVNodeClick(const LogView::NodeKey& key);
    void DataGrid1_SelChange();
    void DataGrid1_TitleClick(int column);
    void showPopup(const QPoint& globalPos);
    // The search result: these records (table indexes) in the grid, the pane
    // emptied, the current node key emptied.
    void showSearchResult(const QList<qint32>& records);
    void mnuKensaku_Click();

    LogGridModel& grid() { return m_grid; }

Q_SIGNALS:
    void moveToTrashRequested();
    void restoreRequested();
    void purgeRequested();
    void lockRequested();
    void unlockRequested();
    void printRequested();
    void settingsRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void Msglog_Read();
    void fillTree();
    void setLockedState(bool locked);
    void updateCommands();
    void layoutPanes();
    bool splitterEvent(QFrame* bar, QEvent* event);
    void saveLayout();
    template<typename Signal>
    bool wired(Signal signal) const;

    AppContext& m_ctx;
    MainHost& m_host;
    LogView::Model m_log;
    LogGridModel m_grid;

    QComboBox* cboTVSort = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QTableView* DataGrid1 = nullptr;
    QTextEdit* txtMsg = nullptr;
    QFrame* Image1 = nullptr;   // vertical bar between the panes
    QFrame* Image2 = nullptr;   // horizontal bar between grid and pane
    QFrame* Picture1 = nullptr; // drag bars while a bar is moved
    QFrame* Picture4 = nullptr;
    QWidget* m_central = nullptr;
    QMenu* m_popup = nullptr;
    QAction* mnuLock = nullptr;
    QAction* mnuUnlock = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuSettei = nullptr;
    QAction* mnuPopModosu = nullptr;
    QAction* mnuPopGomi = nullptr;
    QAction* mnuPopGomi2 = nullptr;

    int m_split1 = 0; // left of Image1, pixels in the central area
    int m_split2 = 0; // top of Image2
    int m_dragOffset = 0;
    bool m_locked = false;
    std::optional<QString> m_password; // the accepted password (txtPass)
    Fs::FileStamp m_stamp;
    LogView::NodeKey m_currentKey;
    qint64 m_shown = -1;
    bool m_busy = false;
    bool m_closeAsked = false;
    bool m_closed = false;
    QColor m_header, m_text, m_odd, m_even, m_background;
};
