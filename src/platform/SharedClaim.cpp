#include "platform/SharedClaim.h"

#include "platform/FileOps.h"
#include "platform/SharedFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDescriptionName = QStringLiteral("holder");

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QByteArray readSmallFile(const char* path)
{
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4096).trimmed();
}

void pauseWith(const SharedClaim::Options& options, int ms)
{
    if (options.pause)
        options.pause(ms);
    else
        SharedClaim::waitLettingEventsRun(ms);
}

// Content and stamp of a regular file read through one handle. error is errno
// (ENOENT when the file is gone, EISDIR for a folder).
struct Snapshot {
    int error = 0;
    QByteArray content;
    struct stat st {};
};

Snapshot snapshot(const QString& path)
{
    Snapshot s;
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        s.error = errno;
        return s;
    }
    if (::fstat(fd, &s.st) != 0) {
        s.error = errno;
    } else if (S_ISDIR(s.st.st_mode)) {
        s.error = EISDIR;
    } else {
        char buf[4096];
        while (true) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                s.error = errno;
                break;
            }
            if (n == 0)
                break;
            s.content.append(buf, n);
            if (s.content.size() > 65536) // not a claim of ours; enough to compare
                break;
        }
    }
    ::close(fd);
    return s;
}

void setStamp(SharedClaim::Sight& s, const struct stat& st)
{
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = st.st_ino;
}

int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        left -= n;
    }
    return 0;
}

bool isBusyError(int err)
{
    return err == EBUSY || err == ETXTBSY || err == EACCES || err == EAGAIN || err == EINTR;
}

// Runs op until it succeeds, fails for good, or stays busy for busyRetryMs.
template<typename Op>
int retryBusy(const SharedClaim::Options& options, Op op)
{
    QElapsedTimer t;
    t.start();
    while (true) {
        const int err = op();
        if (err == 0 || !isBusyError(err) || t.elapsed() >= options.busyRetryMs)
            return err;
        pauseWith(options, 10);
    }
}

// Removes a claim that was moved aside: its description, then the folder (or
// the plain file of an older build). A reader that still has the description
// open keeps both for a moment. knownFolder: a claim folder of this copy,
// not looked at first.
void removeTree(const QString& path, const SharedClaim::Options& options, bool knownFolder = false,
                bool described = true)
{
    const QByteArray p = native(path);
    if (!knownFolder) {
        struct stat st;
        if (::lstat(p.constData(), &st) != 0)
            return;
        if (!S_ISDIR(st.st_mode)) {
            SharedClaim::removeFile(path, options);
            return;
        }
    }
    if (described)
        SharedClaim::removeFile(SharedClaim::descriptionPathFor(path), options);
    retryBusy(options, [&] {
        if (::rmdir(p.constData()) == 0 || errno == ENOENT)
            return 0;
        return errno == ENOTEMPTY ? EBUSY : errno;
    });
}

// Start time (clock ticks since boot) and state letter of a process, from
// /proc/<pid>/stat. False when there is no such process.
bool processInfo(qint64 pid, quint64* startTicks, char* state)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = f.readAll();
    // The command name may hold blanks and parentheses: fields start after the last ')'.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // fields[0] is the state (field 3), fields[19] the start time (field 22).
    if (fields.size() < 20)
        return false;
    *state = fields[0].isEmpty() ? '?' : fields[0][0];
    *startTicks = fields[19].toULongLong();
    return true;
}

} // namespace

void SharedClaim::waitLettingEventsRun(int ms)
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

QString SharedClaim::lockPathFor(const QString& sharedPath)
{
    // Copies reaching the file through different links share one claim.
    return Fs::followLinks(sharedPath) + QStringLiteral(".lck");
}

QString SharedClaim::descriptionPathFor(const QString& lockPath)
{
    return lockPath + u'/' + kDescriptionName;
}

SharedClaim::SharedClaim(const QString& lockPath) : SharedClaim(lockPath, Options {}) {}

SharedClaim::SharedClaim(const QString& lockPath, Options options)
    : m_lockPath(lockPath), m_options(std::move(options))
{
}

SharedClaim::~SharedClaim()
{
    if (m_held)
        release();
}

QString SharedClaim::machineKey()
{
    static const QString key = []() -> QString {
        QString host = QSysInfo::machineHostName();
        const QByteArray boot = readSmallFile("/proc/sys/kernel/random/boot_id");
        char ns[128] = {};
        const ssize_t n = ::readlink("/proc/self/ns/pid", ns, sizeof ns - 1);
        host.remove(u' ');
        return host + u' ' + QString::fromLatin1(boot.isEmpty() ? QByteArray("-") : boot) + u' '
            + (n > 0 ? QString::fromLatin1(ns, n) : QStringLiteral("-"));
    }();
    return key;
}

QByteArray SharedClaim::describeSelf(const QString& token)
{
    quint64 start = 0;
    char state = 0;
    const qint64 pid = QCoreApplication::applicationPid();
    processInfo(pid, &start, &state);
    QByteArray out;
    out += "porlune-claim 1\n";
    out += "host " + machineKey().toUtf8() + '\n';
    out += "pid " + QByteArray::number(pid) + '\n';
    out += "start " + QByteArray::number(start) + '\n';
    out += "time " + QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + '\n';
    out += "token " + token.toLatin1() + '\n';
    out += "end\n";
    return out;
}

SharedClaim::Holder SharedClaim::parse(const QByteArray& content)
{
    Holder h;
    const QList<QByteArray> lines = content.split('\n');
    if (lines.isEmpty() || lines.first() != "porlune-claim 1")
        return h;
    bool ended = false;
    for (const QByteArray& line : lines) {
        const qsizetype sp = line.indexOf(' ');
        const QByteArray key = sp < 0 ? line : line.left(sp);
        const QByteArray value = sp < 0 ? QByteArray() : line.mid(sp + 1);
        if (key == "host")
            h.host = QString::fromUtf8(value);
        else if (key == "pid")
            h.pid = value.toLongLong();
        else if (key == "start")
            h.startTicks = value.toULongLong();
        else if (key == "time")
            h.time = QString::fromUtf8(value);
        else if (key == "token")
            h.token = QString::fromLatin1(value);
        else if (key == "end")
            ended = true;
    }
    h.valid = ended && !h.host.isEmpty() && h.pid > 0 && !h.token.isEmpty();
    return h;
}

bool SharedClaim::holderIsGone(const Holder& holder)
{
    if (!holder.valid || holder.host != machineKey())
        return false; // another machine: only the observed age can tell
    quint64 start = 0;
    char state = 0;
    if (processInfo(holder.pid, &start, &state))
        return state == 'Z' || state == 'X' || (holder.startTicks != 0 && start != holder.startTicks);
    if (QFile::exists(QStringLiteral("/proc/self/stat")))
        return true; // /proc works and has no such process
    return ::kill(pid_t(holder.pid), 0) != 0 && errno == ESRCH;
}

void SharedClaim::pause(int ms) const
{
    pauseWith(m_options, ms);
}

SharedClaim::Sight SharedClaim::inspect(const QString& lockPath)
{
    Sight s;
    const Snapshot d = snapshot(descriptionPathFor(lockPath));
    if (d.error == 0) {
        s.kind = Sight::Folder;
        s.described = s.readable = true;
        s.content = d.content;
        setStamp(s, d.st);
        return s;
    }
    if (d.error != ENOENT && d.error != ENOTDIR && d.error != EISDIR) {
        // A description that does not open for a moment (busy on the server):
        // judge it by its stamp alone.
        s.kind = Sight::Folder;
        s.described = true;
        struct stat st;
        if (::stat(native(descriptionPathFor(lockPath)).constData(), &st) == 0)
            setStamp(s, st);
        return s;
    }
    struct stat st;
    if (::stat(native(lockPath).constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return s; // Nothing
        s.kind = Sight::Folder; // there, but not to be looked at now
        return s;
    }
    if (S_ISDIR(st.st_mode)) {
        // Made, but its description not yet written (or its maker died first).
        s.kind = Sight::Folder;
        s.readable = true;
        setStamp(s, st);
        return s;
    }
    s.kind = Sight::File;
    const Snapshot f = snapshot(lockPath);
    if (f.error == ENOENT)
        return Sight {};
    if (f.error == 0) {
        s.readable = true;
        s.content = f.content;
        setStamp(s, f.st);
    } else {
        setStamp(s, st);
    }
    return s;
}

bool SharedClaim::Sight::unchangedFrom(const Sight& o) const
{
    return kind == o.kind && described == o.described && readable == o.readable && content == o.content
        && size == o.size && mtimeNs == o.mtimeNs && inode == o.inode;
}

bool SharedClaim::Sight::sameClaimAs(const Sight& o) const
{
    // Seen under another name, a file keeps its identity and content; its
    // time stamp may come from a cache on one side only.
    return kind == o.kind && kind != Nothing && described == o.described && readable == o.readable
        && content == o.content && size == o.size && inode == o.inode;
}

SharedClaim::Look SharedClaim::look(const QString& path, Observation& observed, Sight* sight) const
{
    const Sight s = inspect(path);
    if (sight)
        *sight = s;
    if (s.kind == Sight::Nothing)
        return Look::Gone;
    const bool same = observed.seen && s.unchangedFrom(observed.sight);
    if (!same) {
        observed.seen = true;
        observed.sight = s;
        observed.since.start();
    }
    if (s.readable && !s.content.isEmpty()) {
        const Holder holder = parse(s.content);
        if (holder.valid && holderIsGone(holder))
            return Look::Stale;
    }
    if (same && observed.since.elapsed() >= m_options.staleAfterMs)
        return Look::Stale;
    return Look::Live;
}

int SharedClaim::tryCreate(const QString& path, const QByteArray& description) const
{
    if (const int err = SharedFile::createFolderExclusive(path))
        return err;
    return describe(path, description);
}

namespace {

int writeDescription(const QString& lockPath, const QByteArray& description)
{
    const QByteArray desc = native(SharedClaim::descriptionPathFor(lockPath));
    const int fd = ::open(desc.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int err = fd < 0 ? errno : writeAll(fd, description);
    if (fd >= 0 && ::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

} // namespace

int SharedClaim::describe(const QString& path, const QByteArray& description) const
{
    // The folder is ours; until its description is written, waiters know it
    // only by its stamp.
    const int err = writeDescription(path, description);
    if (err == 0)
        return 0;
    if (err == ENOENT || err == ENOTDIR)
        return EAGAIN; // broken as stale in that moment: try again
    // Could not describe it (disk full ...): take the folder away again.
    const Sight mine = inspect(path);
    if (mine.kind == Sight::Folder && (!mine.described || mine.content.isEmpty() || description.startsWith(mine.content)))
        takeAwayIfStill(path, mine, m_options);
    return err;
}

int SharedClaim::tryCreateUndescribed()
{
    if (const int err = SharedFile::createFolderExclusive(m_lockPath))
        return err;
    // The answer to the mkdir carries the new folder's attributes: no request.
    struct stat st;
    if (::stat(native(m_lockPath).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        m_described = false;
        m_folderMtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        m_folderInode = st.st_ino;
        return 0;
    }
    return describe(m_lockPath, description());
}

const QByteArray& SharedClaim::description() const
{
    if (m_description.isEmpty())
        m_description = describeSelf(m_token);
    return m_description;
}

bool SharedClaim::isOurs(const Sight& s) const
{
    if (s.kind != Sight::Folder || !s.readable)
        return false;
    if (s.described)
        return parse(s.content).token == m_token;
    return !m_described && s.mtimeNs == m_folderMtimeNs && s.inode == m_folderInode;
}

int SharedClaim::takeAwayIfStill(const QString& lockPath, const Sight& judged, const Options& options)
{
    const Sight now = inspect(lockPath);
    if (now.kind == Sight::Nothing)
        return 0;
    if (!now.unchangedFrom(judged))
        return ESTALE;
    QString aside;
    const int err = retryBusy(options, [&] { return SharedFile::moveAside(lockPath, &aside); });
    if (err == ENOENT)
        return 0; // taken away by another just now
    if (err)
        return err;
    const Sight moved = inspect(aside);
    if (moved.sameClaimAs(judged)) {
        removeTree(aside, options);
        return 0;
    }
    // A claim made in the moment between the look and the move: it belongs
    // where it was.
    if (SharedFile::putBack(aside, lockPath) != 0)
        removeTree(aside, options);
    return ESTALE;
}

bool SharedClaim::removeIfStill(const QString& lockPath, const Sight& judged, const Options& options)
{
    return takeAwayIfStill(lockPath, judged, options) == 0;
}

bool SharedClaim::breakStale(const Sight& judged, Observation& breakerObserved)
{
    const QString breaker = m_lockPath + QStringLiteral(".brk");
    const int err = tryCreate(breaker, description());
    if (err == EEXIST) {
        // Another waiter is breaking it; its breaker claim may itself be left behind.
        Sight seen;
        if (look(breaker, breakerObserved, &seen) == Look::Stale)
            return takeAwayIfStill(breaker, seen, m_options) == 0;
        return false;
    }
    if (err)
        return false;
    // Under the breaker claim: remove the claim only if it is still the one judged stale.
    const bool broken = takeAwayIfStill(m_lockPath, judged, m_options) == 0;
    const Sight mine = inspect(breaker);
    if (mine.kind == Sight::Folder && mine.content == description())
        takeAwayIfStill(breaker, mine, m_options);
    return broken;
}

int SharedClaim::acquire()
{
    if (m_held)
        return 0;
    m_token = QString::number(QRandomGenerator::system()->generate64(), 16)
        + QString::number(QRandomGenerator::system()->generate64(), 16);
    m_description.clear(); // written when first needed (not at all for a brief undescribed claim)
    QElapsedTimer total;
    total.start();
    Observation observed, breakerObserved;
    int step = 5;
    while (true) {
        m_described = true;
        const int err = m_options.describeWhenSlow ? tryCreateUndescribed() : tryCreate(m_lockPath, description());
        if (err == 0) {
            m_held = true;
            m_sinceRefresh.start();
            return 0;
        }
        if (err != EEXIST && !(err == EBUSY || err == EAGAIN || err == EINTR))
            return err;
        if (total.elapsed() >= m_options.maxWaitMs)
            return ETIMEDOUT;
        if (err == EEXIST) {
            // A breaker claim left by a copy that died while breaking is
            // watched from the first look too, so that the claim and its
            // breaker turn stale together: one stale age for the whole takeover.
            if (observed.seen)
                look(m_lockPath + QStringLiteral(".brk"), breakerObserved, nullptr);
            Sight seen;
            switch (look(m_lockPath, observed, &seen)) {
            case Look::Gone:
                // Released just now (or a cached name on a network mount): try
                // again almost at once.
                pause(1);
                continue;
            case Look::Stale:
                // Try again at once when it went (or a left-behind breaker
                // did); a live breaker is waited for like a live claim.
                if (breakStale(seen, breakerObserved))
                    continue;
                break;
            case Look::Live:
                break;
            }
        }
        // Jitter keeps waiters of several machines from retrying in step; a
        // waiter that has waited long looks more often, so newcomers do not
        // keep overtaking it.
        pause(step / 2 + int(QRandomGenerator::global()->bounded(step / 2 + 1)));
        step = total.elapsed() > 1000 ? 30 : std::min(step * 2, 80);
    }
}

void SharedClaim::SinceTouched::start()
{
    struct timespec ts {};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    m_startNs = qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

qint64 SharedClaim::SinceTouched::elapsed() const
{
    struct timespec ts {};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    return (qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec - m_startNs) / 1000000;
}

void SharedClaim::refresh()
{
    if (!m_held || m_sinceRefresh.elapsed() < m_options.refreshEveryMs)
        return;
    if (!m_described) {
        // Held longer than a moment: described now, while no waiter can have
        // judged it stale (later only when it is still the folder we made).
        if (m_sinceRefresh.elapsed() < m_options.staleAfterMs || isOurs(inspect(m_lockPath))) {
            // A failure leaves it as it was: undescribed, still ours.
            if (writeDescription(m_lockPath, description()) == 0)
                m_described = true;
        }
    } else {
        ::utimensat(AT_FDCWD, native(descriptionPathFor(m_lockPath)).constData(), nullptr, 0);
    }
    m_sinceRefresh.start();
}

bool SharedClaim::stillOurs() const
{
    if (!m_held)
        return false;
    for (int tries = 0; tries < 20; ++tries) {
        const Sight s = inspect(m_lockPath);
        if (s.kind == Sight::Nothing)
            return false;
        if (s.readable)
            return isOurs(s);
        pause(10); // busy for a moment
    }
    return false;
}

int SharedClaim::release()
{
    if (!m_held)
        return 0;
    m_held = false;
    if (m_sinceRefresh.elapsed() < m_options.staleAfterMs / 2) {
        // Touched so recently that no waiter can have judged it stale: it is
        // still ours without a look. Moved aside in one step, so the name is
        // free at once (removing it in place would leave it pending deletion
        // on the file server while another client looks into it, and that
        // client's next claim would fail), then removed.
        QString aside;
        if (retryBusy(m_options, [&] { return SharedFile::moveAside(m_lockPath, &aside); }) == 0) {
            removeTree(aside, m_options, true, m_described);
            return 0;
        }
        // Could not be moved: the careful way.
    }
    for (int tries = 0; tries < 20; ++tries) {
        const Sight s = inspect(m_lockPath);
        if (s.kind == Sight::Nothing)
            return 0;
        if (!s.readable) {
            pause(10); // busy for a moment
            continue;
        }
        if (!isOurs(s))
            return 0; // broken as stale and taken by another copy: not ours to remove
        const int err = takeAwayIfStill(m_lockPath, s, m_options);
        if (err != ESTALE)
            return err;
        // Touched between the look and the move (by our own refresh): look again.
    }
    return EBUSY;
}

int SharedClaim::removeFile(const QString& path, const Options& options)
{
    QElapsedTimer t;
    t.start();
    const QByteArray p = native(path);
    while (true) {
        if (::unlink(p.constData()) == 0 || errno == ENOENT)
            return 0;
        const int err = errno;
        if (!isBusyError(err) || t.elapsed() >= options.busyRetryMs)
            return err;
        if (options.pause)
            options.pause(10);
        else
            waitLettingEventsRun(10);
    }
}

int SharedClaim::replaceHeld(const QString& path, const QByteArray& bytes, const QByteArray& previous)
{
    Options keepAlive = m_options;
    keepAlive.pause = [this](int ms) {
        refresh();
        pause(ms);
    };
    refresh();
    return replaceFile(path, bytes, previous, keepAlive);
}

namespace {

const QString kAsideMark = QStringLiteral(".~plh");

// All of a file, in as few requests as the share allows (no look at its
// attributes: on a network mount each is a round trip).
QByteArray readWhole(const QString& path, int* error)
{
    *error = 0;
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return {};
    }
    QByteArray content;
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            *error = errno;
        if (n <= 0)
            break;
        content.append(buf, n);
    }
    ::close(fd);
    return *error ? QByteArray() : content;
}

// Renames tmp to target, retrying while a reader holds the target open.
int renameRetrying(const QString& tmp, const QString& target, const SharedClaim::Options& options)
{
    const QByteArray from = QFile::encodeName(tmp), to = QFile::encodeName(target);
    QElapsedTimer t;
    t.start();
    int step = 5;
    while (true) {
        if (::rename(from.constData(), to.constData()) == 0)
            return 0;
        const int err = errno;
        // A reader holding the target open keeps an SMB rename from going
        // through; it lets go within moments. (smbnetfs then says EEXIST:
        // it could not take the old file out of the way.)
        if (!(isBusyError(err) || err == EEXIST) || t.elapsed() >= options.busyRetryMs)
            return err;
        pauseWith(options, step);
        step = std::min(step * 2, 50);
    }
}

int replaceOne(const QString& target, const QByteArray& content, const SharedClaim::Options& options)
{
    QString tmp;
    if (const int err = SharedFile::writeTemporary(target, content, &tmp))
        return err;
    const int err = renameRetrying(tmp, target, options);
    if (err)
        ::unlink(QFile::encodeName(tmp).constData());
    return err;
}

// Puts aside back at path unless a file of that name is there by now.
int putBackRetrying(const QString& aside, const QString& path, const SharedClaim::Options& options)
{
    return retryBusy(options, [&] { return SharedFile::putBack(aside, path); });
}

} // namespace

bool SharedClaim::isAsideNameOf(const QString& fileName, const QString& sharedFileName)
{
    return fileName.startsWith(sharedFileName + kAsideMark);
}

bool SharedClaim::hasLeftAside(const QString& path)
{
    const QFileInfo fi(Fs::followLinks(path));
    return !Fs::list(fi.path(), fi.fileName() + kAsideMark + u'*').isEmpty();
}

bool SharedClaim::putBackLeftAside(const QString& path, const Options& options)
{
    const QString real = Fs::followLinks(path);
    const QFileInfo fi(real);
    const QString base = fi.fileName();
    QString newest;
    qint64 newestNs = -1;
    QStringList older;
    for (const QString& name : Fs::list(fi.path(), base + kAsideMark + u'*')) {
        if (!isAsideNameOf(name, base))
            continue;
        struct stat st;
        const QString full = fi.dir().filePath(name);
        if (::stat(native(full).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const qint64 ns = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        if (ns > newestNs) {
            if (!newest.isEmpty())
                older.append(newest);
            newestNs = ns;
            newest = full;
        } else {
            older.append(full);
        }
    }
    if (newest.isEmpty() || putBackRetrying(newest, real, options) != 0)
        return false;
    // Earlier states of the board, left when their removal failed: the one
    // put back is newer than all of them.
    for (const QString& path : older)
        removeFile(path, options);
    return true;
}

int SharedClaim::replaceHeldIfStill(const QString& path, const QByteArray& bytes, const QByteArray& expected,
                                    bool keepBackup)
{
    Options keepAlive = m_options;
    keepAlive.pause = [this](int ms) {
        refresh();
        pause(ms);
    };
    refresh();
    // The claim was named after the file behind any link a moment ago.
    const QString real = m_lockPath == path + QStringLiteral(".lck") ? path : Fs::followLinks(path);
    QString tmp;
    if (const int err = SharedFile::writeTemporary(real, bytes, &tmp))
        return err;
    const auto dropTmp = [&tmp] { ::unlink(QFile::encodeName(tmp).constData()); };

    // Take the file into our hands: of several writers who all believe they
    // hold the claim, only one can have it under a private name at a time.
    const QString aside = real + kAsideMark + QString::number(QCoreApplication::applicationPid()) + u'_'
        + QString::number(QRandomGenerator::system()->generate64(), 36);
    int err = retryBusy(keepAlive, [&] {
        if (::rename(native(real).constData(), native(aside).constData()) == 0)
            return 0;
        return errno == EEXIST ? EBUSY : errno; // a unique name: EEXIST is smbnetfs saying busy
    });
    if (err) {
        dropTmp();
        return err == ENOENT ? ESTALE : err;
    }
    int readErr = 0;
    const QByteArray taken = readWhole(aside, &readErr);
    if (readErr || taken != expected) {
        // Changed by another since we read it: it goes back as it is, unless
        // a writer without a claim made the name anew meanwhile (its content
        // is then the newer one, and a copy left aside must not linger to be
        // put back later).
        dropTmp();
        if (putBackRetrying(aside, real, keepAlive) == EEXIST)
            removeFile(aside, keepAlive);
        return readErr ? readErr : ESTALE;
    }
    // Never over a file that somebody put there meanwhile (a copy that found
    // the name empty and put back what we hold would then lose its change).
    err = putBackRetrying(tmp, real, keepAlive);
    if (err) {
        dropTmp();
        if (err != EEXIST)
            putBackRetrying(aside, real, keepAlive);
        else
            removeFile(aside, keepAlive); // what is there now was made from it
        return err == EEXIST ? ESTALE : err;
    }
    // The state taken aside is exactly what was read: it becomes the backup
    // itself, by name, instead of a copy written beside it. (A copy killed
    // before this leaves the previous backup and a state aside, which the
    // sweep of left-overs clears once the board is there again.)
    if (keepBackup && !expected.isEmpty()) {
        const QString bak = real + QStringLiteral(".bak");
        if (renameRetrying(aside, bak, keepAlive) == 0)
            return 0;
        replaceOne(bak, expected, keepAlive); // the new board is in: a backup that failed does not undo it
    }
    removeFile(aside, keepAlive);
    return 0;
}

int SharedClaim::replaceFile(const QString& path, const QByteArray& bytes, const QByteArray& previous,
                             const Options& options)
{
    const QString real = Fs::followLinks(path);
    if (!previous.isEmpty()) {
        if (const int err = replaceOne(real + QStringLiteral(".bak"), previous, options))
            return err;
    }
    return replaceOne(real, bytes, options);
}

int SharedClaim::sweepLeftovers(const QString& writtenPath, int maxAgeSeconds)
{
    // Asked after every write: the time is looked at first, the share only
    // when a sweep is due.
    if (!SharedFile::sweepDue(QFileInfo(writtenPath).path()))
        return 0;
    const QString real = Fs::followLinks(writtenPath);
    const Fs::FileStamp now = Fs::stamp(real);
    const QString folder = QFileInfo(real).path();
    if (!now.exists)
        return 0;
    Options options;
    options.staleAfterMs = std::max(options.staleAfterMs, maxAgeSeconds * 1000);
    options.maxWaitMs = 0; // a claim being broken by another is left to it
    const qint64 limit = now.mtimeNs - qint64(maxAgeSeconds) * 1000000000;
    // A plain file counts only when it describes a holder: an older build's claim.
    const auto old = [limit](const Sight& s) {
        return (s.kind == Sight::Folder || (s.kind == Sight::File && parse(s.content).valid)) && s.mtimeNs < limit;
    };

    int removed = SharedFile::removeOldTemporaries(folder, now.mtimeNs, maxAgeSeconds);
    const QDir dir(folder);
    QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    // Breakers first: one left behind would keep the claim it guards.
    std::stable_partition(names.begin(), names.end(),
                          [](const QString& n) { return n.endsWith(QStringLiteral(".lck.brk")); });
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        if (name.endsWith(QStringLiteral(".lck.brk"))) {
            // A breaker left behind: waiters remove it without more ado.
            const Sight seen = inspect(path);
            if (old(seen) && removeIfStill(path, seen, options))
                ++removed;
        } else if (name.endsWith(QStringLiteral(".lck"))
                   || (name.startsWith(QStringLiteral("~plc")) && !name.contains(u'.'))) {
            const Sight seen = inspect(path);
            if (!old(seen))
                continue;
            // Under a breaker claim, as a waiter breaking it would be.
            SharedClaim breaker(path + QStringLiteral(".brk"), options);
            if (breaker.acquire() != 0)
                continue;
            if (removeIfStill(path, seen, options))
                ++removed;
            breaker.release();
        } else if (const qsizetype mark = name.indexOf(kAsideMark); mark > 0) {
            // An earlier state of a file that is in place again: the one put
            // back, or written since, is newer.
            const Fs::FileStamp st = Fs::stamp(path);
            if (st.exists && st.mtimeNs < limit && !Fs::isDir(path) && Fs::exists(dir.filePath(name.left(mark)))
                && removeFile(path, options) == 0)
                ++removed;
        }
    }
    return removed;
}

