#include "platform/InstanceLock.h"

#include "platform/Paths.h"

#include <QLockFile>

InstanceLock::InstanceLock(const QString& programFolder)
    : m_lock(std::make_unique<QLockFile>(Paths::join(programFolder, lockFileName())))
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
