#include "platform/InstanceLock.h"

#include "platform/Paths.h"

#include <QFile>
#include <QLockFile>
#include <QSysInfo>

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

InstanceLock::~InstanceLock() = default;

QString InstanceLock::lockFileName()
{
    return QStringLiteral("Porlune.lock");
}

bool InstanceLock::tryAcquire()
{
    if (m_lock->isLocked())
        return true;
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
    return m_lock->isLocked();
}

void InstanceLock::release()
{
    m_lock->unlock();
}
