#include "platform/InstanceLock.h"

#include "platform/Paths.h"

#include <QFile>
#include <QLockFile>
#include <QSysInfo>

namespace {

// True when the lock file names a holder on another machine: its machine
// identity, or its host name where no identity was written.
bool heldOnAnotherMachine(const QString& lockPath)
{
    QFile f(lockPath);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = f.read(4096).split('\n');
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
    // Only a copy on this machine counts as running. A lock written on another
    // machine (a program folder on a file server, left by a crash there or by
    // a system since reinstalled) can never be seen to go stale from here and
    // would refuse every start for good.
    if (m_lock->error() != QLockFile::LockFailedError || !heldOnAnotherMachine(m_path))
        return false;
    m_lock->removeStaleLockFile();
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
