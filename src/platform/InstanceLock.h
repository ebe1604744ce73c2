#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One running copy per program folder on this machine. The lock file names the
// holder's process and machine, so a lock left by a crashed copy is taken over
// at the next start; one written on another machine does not refuse a start.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& programFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another live copy holds the folder.
    bool tryAcquire();
    bool isHeld() const;
    void release();

    static QString lockFileName();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
