#pragma once

#include <QObject>

class TestSharedClaim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exclusive_data();
    void exclusive();
    void briefClaimUndescribed_data();
    void briefClaimUndescribed();
    void undescribedClaimTakenOverWhenStale_data();
    void undescribedClaimTakenOverWhenStale();
    void leftBehindClaimIsTaken_data();
    void leftBehindClaimIsTaken();
    void liveClaimOfAnotherMachineIsKept_data();
    void liveClaimOfAnotherMachineIsKept();
    void claimBeingMadeIsKept();
    void releaseLeavesAnotherHoldersClaim();
    void leftBehindBreakerDoesNotBlock_data();
    void leftBehindBreakerDoesNotBlock();
    void liveBreakerIsLeftAlone();
    void twoBreakers_data();
    void twoBreakers();
    void unwritableFolder();
    void replaceKeepsPreviousAndWaitsForBusyTarget_data();
    void replaceKeepsPreviousAndWaitsForBusyTarget();
    void claimStaysAliveWhileABusyWriteRetries();
    void lateHolderFindsTheChange_data();
    void lateHolderFindsTheChange();
    void claimAndLeftBreakerTakenInOneStaleAge();
    void leftoversSweptByTheSharesClock_data();
    void leftoversSweptByTheSharesClock();
};
