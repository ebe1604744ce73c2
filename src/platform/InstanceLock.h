#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One running copy per program folder. The lock file names the holder's process
// and machine, so a lock left by a crashed copy is taken over at the next start;
// one that names no holder to be found here is taken over when no live process
// keeps its file lock. The file is made, locked and written as QLockFile does
// it, so either side reads the other's, but without waiting for the disk: a
// description lost to a power cut is a file naming no holder, taken over.
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
    bool createFresh();

    QString m_path;
    std::unique_ptr<QLockFile> m_lock; // the lock taken over from a file already there
    int m_fd = -1;                     // the lock made afresh
};
