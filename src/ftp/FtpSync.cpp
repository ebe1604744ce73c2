#include "ftp/FtpSync.h"

#include "platform/FileOps.h"
#include "platform/FtpClient.h"

#include <QMetaObject>
#include <QThread>

#include <cerrno>

QList<FtpJob> ftpSyncJobs(const FtpListTable& table)
{
    QList<FtpJob> jobs;
    for (int k = 0; k < FtpListSize - 1; ++k) {
        const FtpListEntry& e = table[std::size_t(k)];
        if (e.serverName.isEmpty())
            break;
        FtpJob job;
        job.index = k;
        job.upload = e.upDown == 0;
        job.server = e.serverName;
        job.user = e.userName;
        job.password = e.password;
        job.remotePath = e.serverPath;
        job.boardPath = e.boardFilePath;
        jobs.append(job);
    }
    return jobs;
}

int replaceBoardWithDownload(const QString& boardPath, const QByteArray& bytes, const SharedClaim::Options& waits)
{
    SharedClaim claim(SharedClaim::lockPathFor(boardPath), waits);
    if (const int err = claim.acquire())
        return err;
    // A read-only board (the last download) would refuse the rename on a file
    // server; the new one gets the attribute back.
    const bool wasReadOnly = Fs::isReadOnly(boardPath);
    if (wasReadOnly)
        Fs::setReadOnly(boardPath, false);
    const int err = claim.replaceHeld(boardPath, bytes, {});
    if (err == 0 || wasReadOnly)
        Fs::setReadOnly(boardPath, true);
    claim.release();
    return err;
}

int readBoardSnapshot(const QString& boardPath, QByteArray* bytes, const SharedClaim::Options& waits)
{
    SharedClaim claim(SharedClaim::lockPathFor(boardPath), waits);
    const int claimError = claim.acquire();
    if (claimError == ETIMEDOUT)
        return claimError;
    int err = 0;
    *bytes = Fs::readBytes(boardPath, &err);
    if (claim.isHeld())
        claim.release();
    return err;
}

FtpSync::FtpSync(IFtpClient& client, QObject* parent) : QObject(parent), m_client(client)
{
    m_workerWaits.maxWaitMs = 15000;
    m_workerWaits.pause = [](int ms) { QThread::msleep(ulong(ms)); };
}

FtpSync::~FtpSync()
{
    stop();
}

bool FtpSync::FtpList_Sync(const FtpListTable& table)
{
    if (m_running)
        return false;
    join(); // the previous worker has ended already; collect it
    QList<FtpJob> jobs = ftpSyncJobs(table);
    m_running = true;
    m_abort = false;
    const int run = ++m_run;
    m_worker = std::thread([this, run, jobs = std::move(jobs)]() mutable { work(run, std::move(jobs)); });
    return true;
}

void FtpSync::work(int run, QList<FtpJob> jobs)
{
    for (FtpJob& job : jobs) {
        if (m_abort)
            break;
        if (job.upload) {
            QByteArray snapshot;
            Outcome out;
            out.index = job.index;
            out.upload = true;
            if (const int err = readBoardSnapshot(job.boardPath, &snapshot, m_workerWaits)) {
                out.error = Fs::errorText(err);
            } else {
                out.transferred = FtpPut(m_client, job.server, job.user, job.password, job.remotePath, snapshot,
                                         &out.error, &m_abort);
            }
            QMetaObject::invokeMethod(
                this, [this, run, out] {
                    if (run == m_run)
                        Q_EMIT entryDone(out);
                },
                Qt::QueuedConnection);
        } else {
            QByteArray bytes;
            QString error;
            const bool ok = FtpGet(m_client, job.server, job.user, job.password, job.remotePath, &bytes, &error, &m_abort);
            QMetaObject::invokeMethod(
                this, [this, run, job, bytes = std::move(bytes), error, ok] {
                    if (run == m_run)
                        applyDownload(job, bytes, error, ok);
                },
                Qt::QueuedConnection);
        }
    }
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            if (run != m_run)
                return;
            m_running = false;
            Q_EMIT runFinished();
        },
        Qt::QueuedConnection);
}

void FtpSync::applyDownload(const FtpJob& job, const QByteArray& bytes, const QString& error, bool ok)
{
    Outcome out;
    out.index = job.index;
    out.transferred = ok;
    out.error = error;
    if (ok && !m_abort)
        out.applyError = replaceBoardWithDownload(job.boardPath, bytes);
    Q_EMIT entryDone(out);
}

void FtpSync::stop()
{
    m_abort = true;
    join();
    ++m_run; // what the ended worker still posted is dropped
    m_running = false;
}

void FtpSync::join()
{
    if (m_worker.joinable())
        m_worker.join();
}
