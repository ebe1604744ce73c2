#pragma once

#include "board/MainHost.h"

#include <QList>

// The main window as a window opened from it sees it, without the window:
// counts the timers' pauses and resumes and records help requests.
class FakeMainHost final : public MainHost
{
public:
    QWidget* hostWidget() override { return nullptr; }
    void pauseMessageTimers() override { ++paused; }
    void resumeMessageTimers() override { ++resumed; }
    void showHelp(int context) override { help.append(context); }
    void cboGroup_Click() override {}
    void reloadBoards() override {}
    void reloadDestinations() override {}
    void reloadReturns() override {}
    void absenceWatchChanged() override {}

    int paused = 0;
    int resumed = 0;
    QList<int> help;
};
