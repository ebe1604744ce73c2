#pragma once

#include "ftp/FtpList.h"
#include "platform/SharedClaim.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

class IFtpClient;

// One transfer of a synchronisation run, taken from an FTP list entry.
struct FtpJob {
    int index = 0;
    bool upload = false;
    QString server;
    QString user;
    QString password;
    QString remotePath; // as typed in the list
    QString boardPath;
};

// The run's transfers: entries 0 to 98 in order, up to the first one without a
// server name.
QList<FtpJob> ftpSyncJobs(const FtpListTable& table);

// A downloaded board put in place: under the board's claim, in one rename over
// the board (others never see it missing or half written), left read-only.
// 0 or the system error; on error the board is as it was.
int replaceBoardWithDownload(const QString& boardPath, const QByteArray& bytes,
                             const SharedClaim::Options& waits = {});

// The board as it stands between two local writers: read under its claim. A
// claim that cannot be made at all (a folder nobody may write to, so no local
// writer either) is read without it. 0 or the system error.
int readBoardSnapshot(const QString& boardPath, QByteArray* bytes, const SharedClaim::Options& waits = {});

// Runs the FTP list's transfers one after another on a worker thread, so the
// window stays responsive while servers are slow or silent. Downloads are
// applied on the thread that owns this object. One run at a time.
class FtpSync : public QObject
{
    Q_OBJECT

public:
    struct Outcome {
        int index = 0;
        bool upload = false;
        bool transferred = false; // the server took or gave the whole file
        int applyError = 0;       // download: replacing the board failed
        QString error;
    };

    explicit FtpSync(IFtpClient& client, QObject* parent = nullptr);
    ~FtpSync() override; // stop()

    // One synchronisation run over the table (copied). False, and nothing
    // started, while a run is still going.
    bool FtpList_Sync(const FtpListTable& table);
    bool isRunning() const { return m_running; }

    // Ends a run: the transfer under way gives up (within about a second, at
    // worst its time limit), no further one starts, downloads not yet applied
    // are dropped. Returns when the worker has ended.
    void stop();

    // Waits on boards' claims from the worker and on the owner's thread.
    void setClaimWaits(const SharedClaim::Options& workerWaits) { m_workerWaits = workerWaits; }

Q_SIGNALS:
    void entryDone(const FtpSync::Outcome& outcome);
    void runFinished();

private:
    void work(int run, QList<FtpJob> jobs);
    void applyDownload(const FtpJob& job, const QByteArray& bytes, const QString& error, bool ok);
    void join();

    IFtpClient& m_client;
    std::thread m_worker;
    std::atomic_bool m_abort {false};
    bool m_running = false;
    int m_run = 0; // the run whose results are still wanted
    SharedClaim::Options m_workerWaits;
};
