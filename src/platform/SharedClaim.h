#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>

// A short exclusive claim on a shared file, so that copies on several machines
// can read, change and rewrite it without losing each other's changes.
//
// The claim is a small lock file beside the shared file, created exclusively
// (O_CREAT | O_EXCL, which the SMB server decides atomically). It names its
// holder: host, boot id and pid namespace (together "the same machine"), pid
// and process start time, the time of day (for people, never compared) and a
// random token. A waiter takes a claim as left behind when
//   - the holder runs on the same machine and its process is gone, or
//   - the waiter has seen the same claim (content and stamp) unchanged for
//     staleAfterMs by its own monotonic clock.
// Clocks of different machines are never compared. A holder that waits on
// something slow calls refresh() so waiters see it alive. Breaking a claim goes
// through a second exclusive file (".brk") so that two waiters can never both
// remove a claim and then both believe they hold a new one.
//
// Files on an SMB share cannot be deleted or renamed over while another client
// has them open (smbnetfs reports EBUSY); every unlink and rename here retries
// such errors for a bounded time.
class SharedClaim
{
public:
    // Called between tries with a pause in milliseconds. The default lets
    // pending events run and sleeps, as every wait on a shared file does.
    using Pause = std::function<void(int ms)>;
    static void waitLettingEventsRun(int ms);

    struct Options {
        int staleAfterMs = 8000;  // a claim seen unchanged this long is left behind
        int maxWaitMs = 60000;    // acquire gives up with ETIMEDOUT after this long (only
                                  // sustained contention keeps a live claim that long)
        int refreshEveryMs = 1000;
        int busyRetryMs = 5000;   // bound on retrying EBUSY unlinks and renames
        Pause pause;              // empty = waitLettingEventsRun
    };

    // The conventional claim file of a shared file: path + ".lck".
    static QString lockPathFor(const QString& sharedPath);

    explicit SharedClaim(const QString& lockPath);
    SharedClaim(const QString& lockPath, Options options);
    ~SharedClaim(); // releases a claim still held
    SharedClaim(const SharedClaim&) = delete;
    SharedClaim& operator=(const SharedClaim&) = delete;

    // Waits for the claim. 0 when held; ETIMEDOUT after maxWaitMs; any other
    // system error at once (folder missing or not writable: EACCES, EROFS ...).
    int acquire();
    bool isHeld() const { return m_held; }
    // Time since the claim was taken or last touched (by this process's clock).
    qint64 msSinceTouched() const { return m_held ? m_sinceRefresh.elapsed() : 0; }
    // Touches the claim (at most once per refreshEveryMs) while it is held.
    void refresh();
    // True while the lock file still carries our token: a holder that took
    // longer than staleAfterMs may have been broken and must not write.
    bool stillOurs() const;
    // Removes the lock file when it is still ours. 0, or the system error.
    int release();

    const QString& lockPath() const { return m_lockPath; }
    const Options& options() const { return m_options; }

    // What a claim file says about its holder.
    struct Holder {
        bool valid = false;     // the file parsed as a complete claim
        QString host;           // machine key: host name, boot id, pid namespace
        qint64 pid = 0;
        quint64 startTicks = 0; // process start, in clock ticks since boot
        QString time;           // informational
        QString token;
    };
    static Holder parse(const QByteArray& content);
    // Content of a claim for the calling process with token.
    static QByteArray describeSelf(const QString& token);
    // The machine key of this process, as written into claims.
    static QString machineKey();
    // True when holder ran on this machine and its process is gone (or a new
    // process took its pid).
    static bool holderIsGone(const Holder& holder);

    // Replaces path whole through a temporary file in the same folder, as
    // SharedFile does, but keeps retrying the final rename while a reader holds
    // the target open (EBUSY) for at most busyRetryMs. With previous not empty,
    // previous is first written the same way to path + ".bak". Meant to be
    // called while the claim of path is held. 0 or the system error.
    static int replaceFile(const QString& path, const QByteArray& bytes, const QByteArray& previous,
                           const Options& options);
    // Retries unlink while the file is busy; ENOENT counts as done.
    static int removeFile(const QString& path, const Options& options);

private:
    int tryCreate(const QString& path, const QByteArray& content) const;
    void pause(int ms) const;
    // Looks at the claim file at path; true when it may be broken now. observed
    // tracks what was seen and since when.
    struct Observation {
        QByteArray content;
        qint64 size = -1;
        qint64 mtimeNs = 0;
        quint64 inode = 0;
        bool seen = false;
        QElapsedTimer since;
    };
    enum class Look { Gone, Live, Stale };
    Look look(const QString& path, Observation& observed, QByteArray* content) const;
    // Removes the claim at m_lockPath if it still holds staleContent.
    void breakStale(const QByteArray& staleContent, Observation& breakerObserved);

    QString m_lockPath;
    Options m_options;
    QString m_token;
    bool m_held = false;
    QElapsedTimer m_sinceRefresh;
};
