#include "platform/SharedClaim.h"

#include "platform/SharedFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// Content and stamp of a file read through one handle. error is errno (ENOENT
// when the file is gone).
struct Snapshot {
    int error = 0;
    QByteArray content;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
};

Snapshot snapshot(const QString& path)
{
    Snapshot s;
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        s.error = errno;
        return s;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        s.size = st.st_size;
        s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.inode = st.st_ino;
    }
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
    ::close(fd);
    return s;
}

bool isBusyError(int err)
{
    return err == EBUSY || err == ETXTBSY || err == EACCES || err == EAGAIN || err == EINTR;
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
    return sharedPath + QStringLiteral(".lck");
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
    if (m_options.pause)
        m_options.pause(ms);
    else
        waitLettingEventsRun(ms);
}

int SharedClaim::tryCreate(const QString& path, const QByteArray& content) const
{
    const QByteArray p = native(path);
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int err = 0;
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        data += n;
        left -= n;
    }
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != ENOSYS)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err)
        ::unlink(p.constData());
    return err;
}

SharedClaim::Look SharedClaim::look(const QString& path, Observation& observed, QByteArray* content) const
{
    Snapshot s = snapshot(path);
    if (s.error == ENOENT || s.error == ENOTDIR)
        return Look::Gone;
    if (s.error) {
        // Unreadable for a moment (busy on the server): judge by its stamp alone.
        struct stat st;
        if (::stat(native(path).constData(), &st) != 0)
            return errno == ENOENT ? Look::Gone : Look::Live;
        s.content.clear();
        s.size = st.st_size;
        s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.inode = st.st_ino;
    }
    if (content)
        *content = s.content;
    const Holder holder = parse(s.content);
    const bool same = observed.seen && observed.content == s.content && observed.size == s.size
        && observed.mtimeNs == s.mtimeNs && observed.inode == s.inode;
    if (!same) {
        observed.seen = true;
        observed.content = s.content;
        observed.size = s.size;
        observed.mtimeNs = s.mtimeNs;
        observed.inode = s.inode;
        observed.since.start();
    }
    if (holder.valid && holderIsGone(holder))
        return Look::Stale;
    if (same && observed.since.elapsed() >= m_options.staleAfterMs)
        return Look::Stale;
    return Look::Live;
}

void SharedClaim::breakStale(const QByteArray& staleContent, Observation& breakerObserved)
{
    const QString breaker = m_lockPath + QStringLiteral(".brk");
    const int err = tryCreate(breaker, describeSelf(m_token));
    if (err == EEXIST) {
        // Another waiter is breaking it; its breaker file may itself be left behind.
        if (look(breaker, breakerObserved, nullptr) == Look::Stale)
            removeFile(breaker, m_options);
        return;
    }
    if (err)
        return;
    // Under the breaker: remove the claim only if it is still the one judged stale.
    const Snapshot now = snapshot(m_lockPath);
    if (now.error == 0 && now.content == staleContent)
        removeFile(m_lockPath, m_options);
    removeFile(breaker, m_options);
}

int SharedClaim::acquire()
{
    if (m_held)
        return 0;
    m_token = QString::number(QRandomGenerator::system()->generate64(), 16)
        + QString::number(QRandomGenerator::system()->generate64(), 16);
    const QByteArray content = describeSelf(m_token);
    QElapsedTimer total;
    total.start();
    Observation observed, breakerObserved;
    int step = 5;
    while (true) {
        const int err = tryCreate(m_lockPath, content);
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
            QByteArray seen;
            switch (look(m_lockPath, observed, &seen)) {
            case Look::Gone:
                // Released just now (or a cached name on a network mount): try
                // again almost at once.
                pause(1);
                continue;
            case Look::Stale:
                breakStale(seen, breakerObserved);
                observed = Observation {};
                continue;
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

void SharedClaim::refresh()
{
    if (!m_held || m_sinceRefresh.elapsed() < m_options.refreshEveryMs)
        return;
    ::utimensat(AT_FDCWD, native(m_lockPath).constData(), nullptr, 0);
    m_sinceRefresh.start();
}

bool SharedClaim::stillOurs() const
{
    if (!m_held)
        return false;
    for (int tries = 0; tries < 20; ++tries) {
        const Snapshot s = snapshot(m_lockPath);
        if (s.error == 0)
            return parse(s.content).token == m_token;
        if (s.error == ENOENT)
            return false;
        pause(10); // busy for a moment
    }
    return false;
}

int SharedClaim::release()
{
    if (!m_held)
        return 0;
    m_held = false;
    const Snapshot s = snapshot(m_lockPath);
    if (s.error == ENOENT)
        return 0;
    if (s.error == 0 && parse(s.content).token != m_token)
        return 0; // broken as stale and taken by another copy: not ours to remove
    return removeFile(m_lockPath, m_options);
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

int SharedClaim::replaceFile(const QString& path, const QByteArray& bytes, const QByteArray& previous,
                             const Options& options)
{
    auto replaceOne = [&options](const QString& target, const QByteArray& content) {
        QString tmp;
        if (const int err = SharedFile::writeTemporary(target, content, &tmp))
            return err;
        const QByteArray from = native(tmp), to = native(target);
        QElapsedTimer t;
        t.start();
        int step = 5;
        while (true) {
            if (::rename(from.constData(), to.constData()) == 0)
                return 0;
            const int err = errno;
            // A reader holding the target open keeps an SMB rename from going
            // through; it lets go within moments.
            if (!isBusyError(err) || t.elapsed() >= options.busyRetryMs) {
                ::unlink(from.constData());
                return err;
            }
            if (options.pause)
                options.pause(step);
            else
                waitLettingEventsRun(step);
            step = std::min(step * 2, 50);
        }
    };
    if (!previous.isEmpty()) {
        if (const int err = replaceOne(path + QStringLiteral(".bak"), previous))
            return err;
    }
    return replaceOne(path, bytes);
}
