#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File operations with the meaning the program expects of its platform. Every
// call reports failure by returning the system error number (0 = success) or a
// neutral value; none throws. Paths are native paths as stored in the settings.
namespace Fs {

// Attribute values as the program stores and compares them.
enum Attribute : int {
    AttrReadOnly = 1,
    AttrDirectory = 16,
    AttrArchive = 32,
};

// Modification time and identity at full resolution, for change detection that
// must not depend on one-second time stamps.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 inode = 0;
    bool readOnly = false; // no write permission at all (the read-only attribute)
    bool operator==(const FileStamp&) const = default;
};

bool exists(const QString& path);             // file or folder
bool isFile(const QString& path);
bool isDir(const QString& path);
bool isReadableFile(const QString& path);     // a regular file that opens for reading
qint64 length(const QString& path);           // -1 when missing
QString modTimeText(const QString& path);     // "yyyy/MM/dd HH:mm:ss", local time; empty when missing
FileStamp stamp(const QString& path);
QString timeText(const FileStamp& stamp);     // the modification time as modTimeText gives it

int attributes(const QString& path);          // -1 when missing
bool isReadOnly(const QString& path);         // attribute value 1 or 33
int setAttributes(const QString& path, int attributes); // only the read-only bit has a meaning here
int setReadOnly(const QString& path, bool readOnly);

int copy(const QString& from, const QString& to); // replaces to; keeps the time stamp
int remove(const QString& path);
// Fails with EEXIST when to exists, as the program's rename never replaces.
// Works between folders and between file systems.
int rename(const QString& from, const QString& to);
int makeDir(const QString& path);
// Where a symbolic link finally points (absolute), or path itself when it is
// no link or a broken one. A file replaced by renaming over it is replaced
// there: renaming over the link would turn it into a file of its own.
QString followLinks(const QString& path);

// Names (not paths) of the files in folder that match a wildcard pattern
// (* and ?), in name order.
QStringList list(const QString& folder, const QString& pattern);
// The same for several patterns from one listing of folder: one list per pattern.
QList<QStringList> list(const QString& folder, const QStringList& patterns);

// stamp, when given, is taken from the handle the bytes were read through.
QByteArray readBytes(const QString& path, int* error = nullptr, FileStamp* stamp = nullptr);
int writeBytes(const QString& path, const QByteArray& bytes); // creates or empties, then writes
// Writes at the file's end as found at opening (created when missing). Two
// appenders at once can overwrite each other: a shared file's appenders hold
// its claim (SharedClaim).
int appendBytes(const QString& path, const QByteArray& bytes);
int truncate(const QString& path, qint64 size);

// Text of a system error number, for messages.
QString errorText(int error);

} // namespace Fs
