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
#include <QSet>

#include <algorithm>
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

bool isTemporaryOfACopy(const QString& fileName)
{
    // Exactly what temporaryNameFor makes: "~plw" pid "_" count "_" base-36
    // ".tmp". Other files that begin the same (a staging file kept across
    // starts) are not ours to clear.
    if (!isTemporaryName(fileName))
        return false;
    const QStringList parts = fileName.mid(kTempPrefix.size(), fileName.size() - kTempPrefix.size() - 4).split(u'_');
    if (parts.size() != 3)
        return false;
    const auto all = [](const QString& t, auto pred) {
        return !t.isEmpty() && std::all_of(t.begin(), t.end(), pred);
    };
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    return all(parts[0], digit) && all(parts[1], digit)
        && all(parts[2], [&](QChar c) { return digit(c) || (c >= u'a' && c <= u'z'); });
}

bool sweepDue(const QString& folder)
{
    static QMutex mutex;
    static QHash<QString, QElapsedTimer> swept;
    const QMutexLocker lock(&mutex);
    QElapsedTimer& last = swept[folder];
    if (last.isValid() && last.elapsed() < 10 * 60 * 1000)
        return false;
    last.start();
    return true;
}

namespace {

// The newest stamp of a folder and the files in it (a claim moved aside keeps
// its holder description inside); -1 when it cannot be read.
qint64 newestStampOfFolder(const QString& path)
{
    const Fs::FileStamp own = Fs::stamp(path);
    if (!own.exists)
        return -1;
    qint64 newest = own.mtimeNs;
    for (const QString& name : QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const Fs::FileStamp inner = Fs::stamp(QDir(path).filePath(name));
        if (inner.exists)
            newest = std::max(newest, inner.mtimeNs);
    }
    return newest;
}

} // namespace

int removeOldTemporaries(const QString& folder, qint64 shareNowNs, int maxAgeSeconds)
{
    int removed = 0;
    const qint64 limit = shareNowNs - qint64(maxAgeSeconds) * 1000000000;
    // Folders too: a claim moved aside takes a temporary name.
    const QStringList names = QDir(folder).entryList({kTempPrefix + QStringLiteral("*.tmp")},
                                                     QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!isTemporaryOfACopy(name))
            continue;
        const QString path = QDir(folder).filePath(name);
        const QByteArray native = QFile::encodeName(path);
        struct stat st;
        if (::lstat(native.constData(), &st) != 0)
            continue;
        if (!S_ISDIR(st.st_mode)) {
            const Fs::FileStamp fs = Fs::stamp(path);
            if (fs.exists && fs.mtimeNs < limit && Fs::remove(path) == 0)
                ++removed;
            continue;
        }
        // A claim folder taken aside by a copy that died before removing it.
        const qint64 newest = newestStampOfFolder(path);
        if (newest < 0 || newest >= limit)
            continue;
        const QDir dir(path);
        for (const QString& inner : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            ::unlink(QFile::encodeName(dir.filePath(inner)).constData());
        if (::rmdir(native.constData()) == 0)
            ++removed;
    }
    return removed;
}

int sweepTemporaries(const QString& folder, qint64 shareNowNs, int maxAgeSeconds)
{
    if (!sweepDue(folder))
        return 0;
    return removeOldTemporaries(folder, shareNowNs, maxAgeSeconds);
}

int putBack(const QString& aside, const QString& path)
{
    // Folders whose file system has no replace-free rename (a FUSE mount of
    // the share says EINVAL every time): not asked again.
    static QMutex mutex;
    static QSet<QString> withoutNoReplace;
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray from = QFile::encodeName(aside), to = QFile::encodeName(path);
    bool ask;
    {
        const QMutexLocker lock(&mutex);
        ask = !withoutNoReplace.contains(folder);
    }
    if (ask) {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        const QMutexLocker lock(&mutex);
        withoutNoReplace.insert(folder);
    }
    // No replace-free rename here: look, then rename (a plain rename would
    // replace an empty folder).
    if (Fs::exists(path))
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace SharedFile
