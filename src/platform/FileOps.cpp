#include "platform/FileOps.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Fs {

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool statPath(const QString& path, struct stat& st)
{
    if (path.isEmpty())
        return false;
    return ::stat(native(path).constData(), &st) == 0;
}

int writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

int writeFile(const QString& path, const QByteArray& bytes, int flags)
{
    if (path.isEmpty())
        return ENOENT;
    const int fd = ::open(native(path).constData(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int err = writeAll(fd, bytes.constData(), bytes.size());
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

} // namespace

bool exists(const QString& path)
{
    struct stat st;
    return statPath(path, st);
}

bool isFile(const QString& path)
{
    struct stat st;
    return statPath(path, st) && S_ISREG(st.st_mode);
}

bool isDir(const QString& path)
{
    struct stat st;
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool isReadableFile(const QString& path)
{
    if (!isFile(path))
        return false;
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

qint64 length(const QString& path)
{
    struct stat st;
    if (!statPath(path, st) || S_ISDIR(st.st_mode))
        return -1;
    return st.st_size;
}

namespace {
FileStamp stampOf(const struct stat& st)
{
    FileStamp s;
    s.exists = true;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    s.inode = st.st_ino;
    s.readOnly = (st.st_mode & 0222) == 0;
    return s;
}
} // namespace

QString timeText(const FileStamp& stamp)
{
    if (!stamp.exists)
        return {};
    return QDateTime::fromSecsSinceEpoch(stamp.mtimeNs / 1000000000).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString modTimeText(const QString& path)
{
    return timeText(stamp(path));
}

FileStamp stamp(const QString& path)
{
    struct stat st;
    if (!statPath(path, st))
        return {};
    return stampOf(st);
}

int attributes(const QString& path)
{
    struct stat st;
    if (!statPath(path, st))
        return -1;
    if (S_ISDIR(st.st_mode))
        return AttrDirectory;
    return AttrArchive | ((st.st_mode & 0222) == 0 ? AttrReadOnly : 0);
}

bool isReadOnly(const QString& path)
{
    const int a = attributes(path);
    return a == 1 || a == 33;
}

int setAttributes(const QString& path, int attr)
{
    return setReadOnly(path, (attr & AttrReadOnly) != 0);
}

int setReadOnly(const QString& path, bool readOnly)
{
    struct stat st;
    if (!statPath(path, st))
        return errno ? errno : ENOENT;
    mode_t mode = st.st_mode & 07777;
    if (readOnly)
        mode &= ~mode_t(0222);
    else
        mode |= (mode & 0444) >> 1 | S_IWUSR; // write where read is allowed
    if (::chmod(native(path).constData(), mode) != 0)
        return errno;
    return 0;
}

int copy(const QString& from, const QString& to)
{
    int err = 0;
    const QByteArray bytes = readBytes(from, &err);
    if (err)
        return err;
    err = writeBytes(to, bytes);
    if (err)
        return err;
    struct stat st;
    if (statPath(from, st)) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, native(to).constData(), times, 0);
    }
    return 0;
}

int remove(const QString& path)
{
    if (path.isEmpty())
        return ENOENT;
    if (::unlink(native(path).constData()) != 0)
        return errno;
    return 0;
}

int rename(const QString& from, const QString& to)
{
    if (from.isEmpty() || to.isEmpty())
        return ENOENT;
    if (!exists(from))
        return ENOENT;
    const QByteArray f = native(from), t = native(to);
    // link() never replaces, so the check and the move are one step where the
    // file system offers hard links; elsewhere fall back to check-then-rename.
    // A rename that fails changes nothing: when the old name cannot be given
    // up (the file is held open on a share), the new one goes again rather
    // than leave the file under both names.
    if (::link(f.constData(), t.constData()) == 0) {
        if (::unlink(f.constData()) != 0) {
            const int err = errno;
            ::unlink(t.constData());
            return err;
        }
        return 0;
    }
    const int linkErr = errno;
    if (linkErr == EEXIST)
        return EEXIST;
    if (exists(to))
        return EEXIST;
    if (::rename(f.constData(), t.constData()) == 0)
        return 0;
    if (errno != EXDEV)
        return errno;
    // Between file systems: the copy is created exclusively (nothing that
    // appears meanwhile is replaced) and is on disk before the source goes;
    // a copy cut short is taken away again.
    int err = 0;
    struct stat st;
    const QByteArray bytes = readBytes(from, &err);
    if (err)
        return err;
    if (!statPath(from, st))
        return errno ? errno : ENOENT;
    const int fd = ::open(t.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    err = writeAll(fd, bytes.constData(), bytes.size());
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::unlink(f.constData()) != 0)
        err = errno;
    if (err) {
        ::unlink(t.constData());
        return err;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, t.constData(), times, 0);
    ::chmod(t.constData(), st.st_mode & 07777);
    return 0;
}

int makeDir(const QString& path)
{
    if (::mkdir(native(path).constData(), 0777) != 0)
        return errno;
    return 0;
}

QStringList list(const QString& folder, const QString& pattern)
{
    return list(folder, QStringList {pattern}).value(0);
}

QList<QStringList> list(const QString& folder, const QStringList& patterns)
{
    QList<QStringList> found(patterns.size());
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return found;
    QList<QRegularExpression> res;
    for (const QString& pattern : patterns) {
        QString rx;
        for (QChar c : pattern) {
            if (c == u'*')
                rx += QStringLiteral(".*");
            else if (c == u'?')
                rx += u'.';
            else
                rx += QRegularExpression::escape(QString(c));
        }
        res.append(QRegularExpression(QRegularExpression::anchoredPattern(rx), QRegularExpression::CaseInsensitiveOption));
    }
    const QStringList all = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : all)
        for (qsizetype i = 0; i < res.size(); ++i)
            if (res[i].match(name).hasMatch())
                found[i].append(name);
    for (QStringList& names : found)
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        });
    return found;
}

QByteArray readBytes(const QString& path, int* error, FileStamp* stamp)
{
    auto fail = [&](int e) {
        if (error)
            *error = e;
        return QByteArray();
    };
    if (path.isEmpty())
        return fail(ENOENT);
    // Opened without waiting: a pipe placed under a listed name would
    // otherwise hold the program until some writer appeared. Only plain
    // files are read.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat st;
    int statErr = ::fstat(fd, &st) != 0 ? errno : 0;
    if (statErr == 0 && !S_ISREG(st.st_mode))
        statErr = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (statErr == 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        statErr = errno;
    if (statErr) {
        ::close(fd);
        return fail(statErr);
    }
    if (stamp)
        *stamp = stampOf(st);
    QByteArray out;
    out.reserve(qsizetype(st.st_size));
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            ::close(fd);
            return fail(e);
        }
        if (n == 0)
            break;
        out.append(buf, n);
    }
    ::close(fd);
    if (error)
        *error = 0;
    return out;
}

int writeBytes(const QString& path, const QByteArray& bytes)
{
    return writeFile(path, bytes, O_TRUNC);
}

int appendBytes(const QString& path, const QByteArray& bytes)
{
    // Not O_APPEND: through smbnetfs every O_APPEND write fails with EIO. The
    // end is found once, so writers that share the file hold its claim.
    if (path.isEmpty())
        return ENOENT;
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int err = ::lseek(fd, 0, SEEK_END) < 0 ? errno : 0;
    if (err == 0)
        err = writeAll(fd, bytes.constData(), bytes.size());
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

int truncate(const QString& path, qint64 size)
{
    if (::truncate(native(path).constData(), off_t(size)) != 0)
        return errno;
    return 0;
}

QString followLinks(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? path : target;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace Fs
