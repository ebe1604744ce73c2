#include "platform/SharedFile.h"

#include "platform/FileOps.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SharedFile {

namespace {

const QString kTempPrefix = QStringLiteral("~plw");

int writeSynced(const QString& path, const QList<QByteArrayView>& pieces, bool* failedOpening = nullptr)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (failedOpening)
            *failedOpening = true;
        return errno;
    }
    int err = 0;
    for (const QByteArrayView piece : pieces) {
        const char* p = piece.data();
        qsizetype left = piece.size();
        while (left > 0 && err == 0) {
            const ssize_t n = ::write(fd, p, std::size_t(left));
            if (n < 0) {
                if (errno != EINTR)
                    err = errno;
                continue;
            }
            p += n;
            left -= n;
        }
    }
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err)
        ::unlink(QFile::encodeName(path).constData());
    return err;
}

} // namespace

QString temporaryNameFor(const QString& path)
{
    static QAtomicInteger<quint32> counter;
    const QFileInfo fi(path);
    const QString name = kTempPrefix + QString::number(QCoreApplication::applicationPid()) + u'_'
        + QString::number(counter.fetchAndAddRelaxed(1)) + u'_'
        + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp");
    return fi.dir().filePath(name);
}

bool isTemporaryName(const QString& fileName)
{
    return fileName.startsWith(kTempPrefix) && fileName.endsWith(QStringLiteral(".tmp"));
}

namespace {

int writeTemporary(const QString& path, const QList<QByteArrayView>& pieces, QString* tempPath, bool* failedOpening)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString tmp = temporaryNameFor(path);
        const int err = writeSynced(tmp, pieces, failedOpening);
        if (err == EEXIST)
            continue;
        if (err == 0)
            *tempPath = tmp;
        return err;
    }
    if (failedOpening)
        *failedOpening = true;
    return EEXIST;
}

} // namespace

int writeTemporary(const QString& path, const QByteArray& bytes, QString* tempPath)
{
    return writeTemporary(path, {QByteArrayView(bytes)}, tempPath, nullptr);
}

namespace {

int putInPlace(const QString& path, const QList<QByteArrayView>& pieces, bool* failedOpening)
{
    QString tmp;
    if (const int err = writeTemporary(path, pieces, &tmp, failedOpening))
        return err;
    if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData()) != 0) {
        // The file cannot take its new content under its name (a folder of
        // that name, no right to replace it): as an open for output would fail.
        const int err = errno;
        if (failedOpening)
            *failedOpening = true;
        ::unlink(QFile::encodeName(tmp).constData());
        return err;
    }
    return 0;
}

} // namespace

int replace(const QString& linkedPath, const QByteArray& bytes, bool keepBackup, bool* failedOpening)
{
    if (failedOpening)
        *failedOpening = false;
    const QString path = Fs::followLinks(linkedPath);
    if (keepBackup && Fs::length(path) > 0) {
        int err = 0;
        const QByteArray old = Fs::readBytes(path, &err);
        if (err == 0 && !old.isEmpty()) {
            if ((err = replace(path + QStringLiteral(".bak"), old, false, failedOpening)))
                return err;
        }
    }
    return putInPlace(path, {QByteArrayView(bytes)}, failedOpening);
}

int replaceLinkingBackup(const QString& linkedPath, const QList<QByteArrayView>& pieces, const QByteArray& oldBytes)
{
    const QString path = Fs::followLinks(linkedPath);
    const QString bak = path + QStringLiteral(".bak");
    if (!oldBytes.isEmpty()) {
        const QString link = temporaryNameFor(bak);
        bool linked = ::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) == 0;
        if (linked && ::rename(QFile::encodeName(link).constData(), QFile::encodeName(bak).constData()) != 0) {
            ::unlink(QFile::encodeName(link).constData());
            linked = false;
        }
        if (!linked) {
            if (const int err = replace(bak, oldBytes, false))
                return err;
        }
    }
    return putInPlace(path, pieces, nullptr);
}

int createNew(const QString& path, const QByteArray& bytes)
{
    if (Fs::exists(path))
        return EEXIST;
    QString tmp;
    if (const int err = writeTemporary(path, bytes, &tmp))
        return err;
    const int err = Fs::rename(tmp, path); // never replaces
    if (err)
        ::unlink(QFile::encodeName(tmp).constData());
    return err;
}

int createFolderExclusive(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    while (::mkdir(p.constData(), 0777) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

int moveAside(const QString& path, QString* aside)
{
    const QString to = temporaryNameFor(path);
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(to).constData()) != 0)
        return errno;
    *aside = to;
    return 0;
}

int sweepTemporaries(const QString& folder, qint64 shareNowNs, int maxAgeSeconds)
{
    static QMutex mutex;
    static QHash<QString, QElapsedTimer> swept;
    {
        const QMutexLocker lock(&mutex);
        QElapsedTimer& last = swept[folder];
        if (last.isValid() && last.elapsed() < 10 * 60 * 1000)
            return 0;
        last.start();
    }
    int removed = 0;
    const qint64 limit = shareNowNs - qint64(maxAgeSeconds) * 1000000000;
    for (const QString& name : Fs::list(folder, kTempPrefix + QStringLiteral("*.tmp"))) {
        const QString path = QDir(folder).filePath(name);
        const Fs::FileStamp st = Fs::stamp(path);
        if (st.exists && st.mtimeNs < limit && Fs::remove(path) == 0)
            ++removed;
    }
    return removed;
}

int putBack(const QString& aside, const QString& path)
{
    const QByteArray from = QFile::encodeName(aside), to = QFile::encodeName(path);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // No replace-free rename here: look, then rename (a plain rename would
    // replace an empty folder).
    if (Fs::exists(path))
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace SharedFile
