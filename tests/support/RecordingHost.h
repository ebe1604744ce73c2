#pragma once

#include "board/MainHost.h"

#include <QList>
#include <QWidget>

// A main window as the windows opened from it see it: records what they ask.
class RecordingHost final : public MainHost
{
public:
    QWidget* hostWidget() override { return &widget; }
    void pauseMessageTimers() override { ++pauses; }
    void resumeMessageTimers() override { ++resumes; }
    void showHelp(int context) override { helpContexts << context; }
    void cboGroup_Click() override { ++groupSwitches; }
    void reloadBoards() override {}
    void reloadDestinations() override {}
    void reloadReturns() override {}
    void absenceWatchChanged() override {}
    void applyBoxFont() override { ++boxFonts; }
    void redrawBoard() override { ++redraws; }
    void endProgram() override { ++programEnds; }

    QWidget widget;
    int pauses = 0, resumes = 0, groupSwitches = 0, boxFonts = 0, redraws = 0, programEnds = 0;
    QList<int> helpContexts;
};
