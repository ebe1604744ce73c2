#pragma once

#include "board/AbsenceWatch.h"
#include "board/BoardPresence.h"
#include "board/MainHost.h"
#include "messaging/ScheduledMail.h"

#include "platform/FileOps.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>

class FtpSync;

class AppContext;
class frmIcon;
class QAction;
class QComboBox;
class QLabel;
class QDialog;
class QMenu;
class QPushButton;
class QTableWidget;
class QWidget;

// The program's one permanent window: the board grid, the boxes and the button
// that set the user's whereabouts, the menus that open every other window, and
// the six timers that do the periodic work.
class frmMain : public QMainWindow, public MainHost
{
    Q_OBJECT

public:
    explicit frmMain(AppContext& ctx, QWidget* parent = nullptr);
    ~frmMain() override;

    QWidget* hostWidget() override { return this; }

    // The loading sequence; shows the window at its end.
    void Form_Load();
    // Unloads: logs out, saves the layout, ends the program (unloaded()).
    void unload();
    // The system ends the session (log-off, shutdown, a terminate signal):
    // unload without waiting for anybody; boxes are kept for the next start,
    // and the program ends within a bounded time even if a share hangs.
    void endBySystem();

    // Group switch: re-reads the selected board and redraws the grid.
    void cboGroup_Click() override;
    // Grid fill; redraws only when the board changed or force is set.
    void Ikifile_Show(const QString& path, bool force);
    // The set button.
    void cmdSettei_Click();
    // Message poll: fetch from the mail place, one window per inbox file.
    void Timer1_Shori();
    // The message windows open now.
    QList<class frmMessage*> messageWindows() const;

    // Timer ticks, callable so tests run a tick instead of waiting for one.
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();
    void Timer6_Timer();
    // One synchronisation run over the FTP list, unless one is still going.
    void FtpList_Sync();
    FtpSync* ftpSync() const { return m_ftpSync.get(); }

    // Every dialog opened from this window stops Timer1 and Timer2 while it is
    // open and starts them again by their settings when it closes.
    void pauseMessageTimers() override;
    void resumeMessageTimers() override;

    // Runs a dialog modally under the rule above.
    int runDialog(QDialog& dialog);
    template<typename Dialog>
    int openDialog()
    {
        pauseMessageTimers(); // before the dialog loads, which may show a box
        Dialog dialog(m_ctx, *this);
        return runDialog(dialog);
    }
    // The administrator's editors have the screen to themselves: the main
    // window is out of view while one is open.
    template<typename Editor>
    void openEditor()
    {
        const bool wasVisible = isVisible();
        hide();
        openDialog<Editor>();
        if (wasVisible)
            show();
    }

    // Rebuilds the board table and the group box from the board list and the
    // board flags, then runs the group switch.
    void reloadBoards() override;
    // Refills the destination or return box: personal entries, then the common list.
    void reloadDestinations() override;
    void reloadReturns() override;
    // Timer6 on or off by setting 104.
    void absenceWatchChanged() override;
    // Timer4 and Timer5 on or off by settings 41 and 82.
    void generalTimersChanged() override;
    void messageSettingsChanged() override;
    void holdScheduledDispatch(bool hold) override;
    bool scheduledDispatchHeld() const { return m_dispatchHeld; }
    void applyBoxFont() override;
    void redrawBoard() override;
    void endProgram() override;
    const AbsenceWatch& absenceWatch() const { return m_absence; }
    // Heartbeats, overdue returns and the shared places' state.
    const BoardPresence& presence() const { return *m_presence; }

    // Shared-file work under way in this copy (an update cycle or a group
    // switch waiting on a busy board, a message poll between two messages lets
    // pending events run): a timer tick that comes then is skipped, so that no
    // such work starts inside another.
    bool sharedWorkUnderWay() const;

    // The help file at a context number.
    void showHelp(int context) override;

    bool endSetChecked() const;
    QString captionBase() const;

    // Tray icon, hot key and mail mark.
    // Brings the window back (tray left click, hot key): normal state, shown,
    // in front of other windows without taking the focus.
    void restoreMainWindow();
    // The mail-mark window while Timer2 shows it; null otherwise.
    frmIcon* mailMark() const;
    // The message viewer while it is open; null otherwise.
    class frmMsgView* viewer() const;

    QTimer Timer1;
    QTimer Timer2;
    QTimer Timer3;
    QTimer Timer4;
    QTimer Timer5;
    QTimer Timer6;

Q_SIGNALS:
    // The window has unloaded: the program ends.
    void unloaded();
    // A message viewer was opened (the place to connect its commands).
    void viewerOpened(class frmMsgView* viewer);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    QAction* addItem(QMenu* menu, const QString& caption, const char* name, bool enabled = true);
    void loadLists();
    void fillGroupBox(const struct GroupBoxItems& groups);
    void applyColumnWidths();
    void mnuHCol_Click(int index);
    void mnuMeadoCopy_Click();
    void mnuEndSet_Click();
    void mnuGoLog_Click();
    void mnuMLog_Click();
    void mnuMview_Click();
    void mnuMassage_Click();
    void mnuHokaSet_Click();
    void mnuAutoInput_Click();
    // The board table entry of the group box's selected item, as the group
    // switch finds it.
    int selectedBoardIndex() const;
    void DataGrid1_MouseDown(const QPoint& pos);
    void showGridMenu(const QPoint& globalPos);
    bool handleKey(QKeyEvent* event);
    void updateCaptionTime();
    // The presence marks on the rows shown and the status line under the grid.
    void applyRowMarks();
    void layoutControls();
    void saveLayout();
    void restartTimers();

    AppContext& m_ctx;

    QWidget* m_cbr1 = nullptr;
    QWidget* m_cbr2 = nullptr;
    std::array<QWidget*, 3> m_bands {};
    QComboBox* cboGroup = nullptr;
    QComboBox* cboIkisaki = nullptr;
    QComboBox* cboModori = nullptr;
    QPushButton* cmdSettei = nullptr;
    QTableWidget* DataGrid1 = nullptr;

    QMenu* m_popup1 = nullptr; // tray menu "ポップアップ１"
    QMenu* m_popup2 = nullptr; // grid menu "ポップアップ２"
    std::array<QAction*, 7> mnuHCol {};
    QAction* mnuEndSet = nullptr;
    QAction* mnuEndSet2 = nullptr;
    QAction* mnuHokaSet = nullptr;

    // Window state.
    bool m_wasMinimized = false;
    bool m_forceRedraw = false;
    bool m_currentReadOnly = false;
    bool m_unloaded = false;
    bool m_endWatch = false; // the bound on an end asked for by the system runs
    static constexpr int kEndBySystemLimitSeconds = 10;
    bool m_loading = false;       // Form_Load is under way
    bool m_unloadPending = false; // an unload asked for during a board change
    QPoint m_lastRightClick;
    Fs::FileStamp m_shownStamp; // of the board the grid was filled from last
    QList<QPointer<class frmMessage>> m_messages;
    bool m_polling = false;
    int m_groupSwitches = 0; // group switches under way (their waits let ticks run)
    int m_timer1Count = 0;
    int m_timer4Count = 0;
    bool m_dispatchHeld = false; // the list of waiting messages is open
    DispatchFailure m_dispatchFailure;
    int m_timer5Count = 30000;
    std::unique_ptr<FtpSync> m_ftpSync; // the FTP run (its worker), made at the first run
    int m_timer6Count = 0;
    AbsenceWatch m_absence;
    std::unique_ptr<BoardPresence> m_presence;
    QLabel* lblStatus = nullptr; // the status line under the grid
    // The list item of the grid row right-clicked last; -1: the header.
    int m_rightClickItem = -1;
    QString m_rightClickName; // the name that row showed

    // Tray icon, hot key and mail mark.
    bool messageWindowOpen() const;
    void trayIcon_RightClick(const QPoint& globalPos);
    bool canHideFromView() const;
    QPointer<frmIcon> m_frmIcon;
    QPointer<class frmMsgView> m_viewer;
    int m_trayPicture = 0; // picture of the tray icon shown now (0 or 1)
};
