#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>

// A short exclusive claim on a shared file, so that copies on several machines
// can read, change and rewrite it without losing each other's changes.
//
// The claim is a folder beside the shared file (path + ".lck"), created with
// mkdir: one request that the file server decides, so exactly one of several
// machines gets it (an exclusive file create is not exclusive through every SMB
// client: smbnetfs tests for the name, then creates). After the mkdir the
// holder writes a description into the folder ("holder"): host, boot id and pid
// namespace (together "the same machine"), pid and process start time, the time
// of day (for people, never compared) and a random token. A waiter takes a
// claim as left behind when
//   - the holder runs on the same machine and its process is gone, or
//   - the waiter has seen the same claim (description and its stamp; for a
//     folder without a readable description, the folder's stamp) unchanged for
//     staleAfterMs by its own monotonic clock.
// Clocks of different machines are never compared. A holder that waits on
// something slow calls refresh() so waiters see it alive. Breaking a claim goes
// through a second claim folder (".brk") and then moves the claim aside and
// removes it only when it is still the one judged stale, so that two breakers
// can never both remove a claim and then both believe they hold a new one.
//
// A claim taken again and again for a moment (a board at every refresh) may
// leave its folder undescribed while it is held briefly (describeWhenSlow):
// waiters judge it by the folder's stamp, as one being made, and its holder
// knows it by the folder's identity (inode and stamp, seen right after the
// mkdir). It is described at its first refresh, a second after it was taken,
// long before any waiter can judge it stale. This saves two of its five
// requests; a copy killed while holding such a claim keeps the others
// waiting its stale age, even on its own machine.
//
// A plain file of that name (the claim of an older build) is a claim too: it
// carries the same description and is judged and broken by the same rules.
//
// No name that waiters look at is ever deleted in place: a claim is released or
// broken by renaming its folder to a private name first (SharedFile::moveAside);
// through smbnetfs, a name being deleted while another client opens it makes
// that client drop its connection. Files on an SMB share cannot be deleted or
// renamed while another client has them open (smbnetfs reports EBUSY); every
// unlink and rename here retries such errors for a bounded time.
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
        bool describeWhenSlow = false; // see above
    };

    // The conventional claim of a shared file: path + ".lck".
    static QString lockPathFor(const QString& sharedPath);
    // The description file inside a claim folder.
    static QString descriptionPathFor(const QString& lockPath);

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
    // Touches the claim's description (at most once per refreshEveryMs) while it is held.
    void refresh();
    // True while the claim still carries our token: a holder that took longer
    // than staleAfterMs may have been broken and must not write.
    bool stillOurs() const;
    // Removes the claim when it is still ours. 0, or the system error.
    int release();

    const QString& lockPath() const { return m_lockPath; }
    const Options& options() const { return m_options; }

    // What a claim's description says about its holder.
    struct Holder {
        bool valid = false;     // the description parsed as complete
        QString host;           // machine key: host name, boot id, pid namespace
        qint64 pid = 0;
        quint64 startTicks = 0; // process start, in clock ticks since boot
        QString time;           // informational
        QString token;
    };
    static Holder parse(const QByteArray& content);
    // Description of a claim for the calling process with token.
    static QByteArray describeSelf(const QString& token);
    // The machine key of this process, as written into claims.
    static QString machineKey();
    // True when holder ran on this machine and its process is gone (or a new
    // process took its pid).
    static bool holderIsGone(const Holder& holder);

    // What one look at a claim's path found.
    struct Sight {
        enum Kind {
            Nothing, // no claim
            Folder,  // a claim folder
            File,    // a plain claim file (older builds)
        };
        Kind kind = Nothing;
        bool described = false; // Folder: its description file exists
        bool readable = false;  // the description (or the file) was read
        QByteArray content;     // what was read
        // Stamp of the description, the file, or (no description) the folder.
        qint64 size = -1;
        qint64 mtimeNs = 0;
        quint64 inode = 0;
        // Everything a waiter compares to tell that a claim did not change.
        bool unchangedFrom(const Sight& other) const;
        // The same claim as other, seen under another name (moved aside).
        bool sameClaimAs(const Sight& other) const;
    };
    static Sight inspect(const QString& lockPath);
    // Removes the claim at lockPath only while it is still the one seen as
    // judged: moves it aside, looks again there, removes it or puts it back.
    // True when it was removed. Callers hold the breaker claim.
    static bool removeIfStill(const QString& lockPath, const Sight& judged, const Options& options);

    // Replaces path whole through a temporary file in the same folder, as
    // SharedFile does, but keeps retrying the final rename while a reader holds
    // the target open (EBUSY) for at most busyRetryMs. With previous not empty,
    // previous is first written the same way to path + ".bak". Meant to be
    // called while the claim of path is held. 0 or the system error.
    static int replaceFile(const QString& path, const QByteArray& bytes, const QByteArray& previous,
                           const Options& options);
    // replaceFile for the file this claim guards, touching the claim while a
    // busy rename is retried: the retries can outlast the stale age, and a
    // waiter that took the claim over would write beside us.
    int replaceHeld(const QString& path, const QByteArray& bytes, const QByteArray& previous);
    // replaceHeld for a holder that may have lost its claim without knowing it
    // (its process was stopped longer than the stale age): the file is first
    // taken aside to a private name, so no other writer can change it meanwhile,
    // and the new content takes its place only when what was taken is still
    // expected. ESTALE, with the file back in place, when it was changed by
    // another (read again and start over) or is not there (being replaced
    // right now). With keepBackup, expected goes to path + ".bak" first.
    int replaceHeldIfStill(const QString& path, const QByteArray& bytes, const QByteArray& expected,
                           bool keepBackup);
    // The private names a file is taken aside to while it is replaced, and
    // putting back the newest one left by a copy that died in that moment.
    static bool isAsideNameOf(const QString& fileName, const QString& sharedFileName);
    static bool putBackLeftAside(const QString& path, const Options& options);
    static bool hasLeftAside(const QString& path);

    // Clears what copies killed while writing left in the folder of
    // writtenPath, a file this copy has just written there (its stamp is the
    // share's "now"; this machine's clock is never used): temporary files and
    // claims moved aside (SharedFile::sweepTemporaries), claim folders and
    // files ("….lck", "….lck.brk", the drop claims "~plc…") and states of a
    // file left aside while it was replaced ("<file>.~plh…", only while
    // <file> itself is there again), each when its stamp is more than
    // maxAgeSeconds before that "now". A claim that old is long past the
    // stale age, so any waiter would take it over too; it is removed the way
    // a waiter breaks it. Once per folder and ten minutes per process.
    // Returns how many were removed.
    static int sweepLeftovers(const QString& writtenPath, int maxAgeSeconds = 600);

    // Retries unlink while the file is busy; ENOENT counts as done.
    static int removeFile(const QString& path, const Options& options);

private:
    void pause(int ms) const;
    // Tracks what a waiter saw of one claim and since when.
    struct Observation {
        Sight sight;
        bool seen = false;
        QElapsedTimer since;
    };
    enum class Look { Gone, Live, Stale };
    Look look(const QString& path, Observation& observed, Sight* sight) const;
    // Creates the claim folder with our description. 0, EEXIST, or the system error.
    int tryCreate(const QString& path, const QByteArray& description) const;
    // Writes the description into a claim folder just made. 0 or the system error.
    int describe(const QString& path, const QByteArray& description) const;
    // Creates the claim folder without a description (describeWhenSlow).
    int tryCreateUndescribed();
    // Our description, made at its first use.
    const QByteArray& description() const;
    // True when s is our claim: by its token, or, undescribed, by the folder's identity.
    bool isOurs(const Sight& s) const;
    // Moves the claim at lockPath aside and removes it while it is still judged.
    // 0 when it is gone, ESTALE when it is another claim by now (left or put
    // back where it was), or the error of the move.
    static int takeAwayIfStill(const QString& lockPath, const Sight& judged, const Options& options);
    // Breaks the claim at m_lockPath if it is still judged (under the breaker
    // claim). True when that claim, or a breaker claim left behind, was removed.
    bool breakStale(const Sight& judged, Observation& breakerObserved);

    QString m_lockPath;
    Options m_options;
    QString m_token;
    mutable QByteArray m_description; // see description()
    bool m_held = false;
    bool m_described = true;
    // Our claim folder as seen right after the mkdir, while it is undescribed.
    qint64 m_folderMtimeNs = 0;
    quint64 m_folderInode = 0;
    // Since the claim was made or last touched. It counts the time the machine
    // slept too (a monotonic clock stops then), because waiters elsewhere go on
    // counting: a holder woken from sleep must not think its claim fresh.
    class SinceTouched
    {
    public:
        void start();
        qint64 elapsed() const;

    private:
        qint64 m_startNs = 0;
    };
    SinceTouched m_sinceRefresh;
};
