#pragma once

#include "board/MainHost.h"

#include <QList>
#include <QWidget>

// The main window as the windows it opens see it: counts the timers' pauses
// and resumes and records the help contexts asked for.
class FakeMainHost final : public MainHost
{
public:
    QWidget widget;
    int pauses = 0, resumes = 0;
    int& paused = pauses;
    int& resumed = resumes;
    QList<int> help;
    QWidget* hostWidget() override { return &widget; }
    void pauseMessageTimers() override { ++pauses; }
    void resumeMessageTimers() override { ++resumes; }
    void showHelp(int context) override { help << context; }
    void cboGroup_Click() override {}
    void reloadBoards() override {}
    void reloadDestinations() override {}
    void reloadReturns() override {}
    void absenceWatchChanged() override {}
    int generalTimerChanges = 0, messageSettingChanges = 0;
    bool dispatchHeld = false;
    void generalTimersChanged() override { ++generalTimerChanges; }
    void messageSettingsChanged() override { ++messageSettingChanges; }
    void holdScheduledDispatch(bool hold) override { dispatchHeld = hold; }
};
