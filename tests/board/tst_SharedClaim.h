#pragma once

#include <QObject>

class TestSharedClaim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exclusive_data();
    void exclusive();
    void leftBehindClaimIsTaken_data();
    void leftBehindClaimIsTaken();
    void liveClaimOfAnotherMachineIsKept_data();
    void liveClaimOfAnotherMachineIsKept();
    void releaseLeavesAnotherHoldersClaim();
    void leftBehindBreakerDoesNotBlock();
    void unwritableFolder();
    void replaceKeepsPreviousAndWaitsForBusyTarget_data();
    void replaceKeepsPreviousAndWaitsForBusyTarget();
};
