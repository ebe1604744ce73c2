#pragma once

class QWidget;

// What the windows opened from the main window may ask of it: the message
// timers' pause, the help file, and the redraws after a change. Windows take
// this rather than the main window itself, so none of them depends on it.
class MainHost
{
public:
    virtual ~MainHost() = default;

    // The window that dialogs opened from it take as their parent.
    virtual QWidget* hostWidget() = 0;

    // A window open over the board stops the message poll and the mail mark
    // while it is open and starts them again by their settings afterwards.
    virtual void pauseMessageTimers() = 0;
    virtual void resumeMessageTimers() = 0;

    // The help file at a context number.
    virtual void showHelp(int context) = 0;

    // Group switch: re-reads the selected board and redraws the grid.
    virtual void cboGroup_Click() = 0;
    // Rebuilds the board table and the group box, then runs the group switch.
    virtual void reloadBoards() = 0;
    // Refills the destination or return box.
    virtual void reloadDestinations() = 0;
    virtual void reloadReturns() = 0;
    // Starts or stops the inactivity watch by setting 104, just saved.
    virtual void absenceWatchChanged() = 0;
    // Starts or stops the board refresh and the FTP timers by settings 41 and
    // 82, just saved; their tick counters run on.
    virtual void generalTimersChanged() {}
    // The message settings (37 to 40, 51) were just saved: the timers follow at
    // once, and an indicator turned off goes away now.
    virtual void messageSettingsChanged() {}
    // While held, no scheduled message is dispatched (a list of them is open).
    virtual void holdScheduledDispatch(bool /*hold*/) {}
    // The group, destination and return boxes take the font of settings 73
    // and 74, just saved.
    virtual void applyBoxFont() {}
    // Redraws the grid whole (colours, font, row height changed).
    virtual void redrawBoard() { cboGroup_Click(); }
    // Unloads the main window as its end item does, once the caller returned.
    virtual void endProgram() {}

protected:
    MainHost() = default;
    MainHost(const MainHost&) = default;
    MainHost& operator=(const MainHost&) = default;
};
