#include "platform/InstanceLock.h"

#include "platform/Paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// True when the lock file names no holder this machine can look for: one on
// another machine (by its machine identity, or its host name where no identity
// was written), or none at all (a file left empty or damaged).
bool holderUnknownHere(const QString& lockPath)
{
    QFile f(lockPath);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = f.read(4096).split('\n');
    bool isPid = false;
    lines.value(0).trimmed().toLongLong(&isPid);
    if (!isPid)
        return true;
    const QByteArray machineId = lines.value(3).trimmed();
    if (!machineId.isEmpty())
        return machineId != QSysInfo::machineUniqueId();
    const QString host = QString::fromUtf8(lines.value(2).trimmed());
    return !host.isEmpty() && host != QSysInfo::machineHostName();
}

} // namespace

InstanceLock::InstanceLock(const QString& programFolder)
    : m_path(Paths::join(programFolder, lockFileName())), m_lock(std::make_unique<QLockFile>(m_path))
{
    // Staleness is decided by the holder's process being gone, never by age:
    // a copy may run for weeks.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock()
{
    release();
}

QString InstanceLock::lockFileName()
{
    return QStringLiteral("Porlune.lock");
}

// The usual start: no lock file. Made exclusively and locked as QLockFile
// makes it, with the same description of the holder, minus the wait for the
// disk QLockFile adds (fdatasync), which is most of a start's file work.
bool InstanceLock::createFresh()
{
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const QByteArray holder = QByteArray::number(QCoreApplication::applicationPid()) + '\n'
        + QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + '\n'
        + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n'
        + QSysInfo::bootUniqueId() + '\n';
    qsizetype written = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        while (written < holder.size()) {
            const ssize_t n = ::write(fd, holder.constData() + written, size_t(holder.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += n;
        }
    }
    if (written < holder.size()) {
        ::unlink(path.constData());
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool InstanceLock::tryAcquire()
{
    if (isHeld())
        return true;
    if (createFresh())
        return true;
    if (errno != EEXIST)
        return false;
    if (m_lock->tryLock(0))
        return true;
    // A lock whose holder cannot be looked for here (written on another machine
    // for a program folder on a file server, left by a crash there or by a
    // system since reinstalled, or a file left empty by a power cut) would
    // otherwise refuse every start for good. It is removed only when no process
    // holds the file lock that every live holder keeps on it.
    if (m_lock->error() != QLockFile::LockFailedError || !holderUnknownHere(m_path))
        return false;
    if (!m_lock->removeStaleLockFile())
        return false;
    return m_lock->tryLock(0);
}

bool InstanceLock::isHeld() const
{
    return m_fd >= 0 || m_lock->isLocked();
}

void InstanceLock::release()
{
    if (m_fd >= 0) {
        // Removed while still locked, so no other start judges it meanwhile.
        ::unlink(QFile::encodeName(m_path).constData());
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_lock->isLocked())
        m_lock->unlock();
}
