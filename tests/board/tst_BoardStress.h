#pragma once

#include <QObject>

// Several processes on one board file, on a local folder and on the SMB share.
class TestBoardStress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void concurrentCopies_data();
    void concurrentCopies();
    void claimIsExclusive_data();
    void claimIsExclusive();
    void claimOfCrashedCopyRecovered_data();
    void claimOfCrashedCopyRecovered();
};
