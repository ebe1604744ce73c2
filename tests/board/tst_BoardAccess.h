#pragma once

#include <QObject>

class TestBoardAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingBoard();
    void fiftyRowsReadAndWrittenWhole_data();
    void fiftyRowsReadAndWrittenWhole();
    void waitRestoreOrDamaged_data();
    void waitRestoreOrDamaged();
    void lineCutShortIsReadAgain();
    void halfWrittenBoardWaitedFor_data();
    void halfWrittenBoardWaitedFor();
    void boardLeftAsideIsPutBack_data();
    void boardLeftAsideIsPutBack();
    void unchangedRowsKeepTheirBytes();
    void leftTemporariesAreSweptByTheSharesClock();
    void missingForAMomentWhileClaimed_data();
    void missingForAMomentWhileClaimed();
    void rewrittenBetweenReadAndWrite_data();
    void rewrittenBetweenReadAndWrite();
    void damagedBoardNeverWrittenBack_data();
    void damagedBoardNeverWrittenBack();
    void separatorRowsUntouched_data();
    void separatorRowsUntouched();
    void personInTwoRows();
    void loginAndLogout_data();
    void loginAndLogout();
    void onlyShownAndLoggedInBoards();
    void readOnlyBoardNotWritten();
    void nestedCycleOnSameBoardRefused();
    void boardTableReloadedDuringCycle();
    void boardReachedThroughLinks();
    void ikifileWriteKeepsBackup();
    void boardList_data();
    void boardList();
};
