#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Writes of files that other copies read over a shared folder. A reader never
// meets a half-written file of ours: content goes to a temporary file in the same
// folder (a name no reader or fetch pattern looks at), is flushed, and only then
// takes the real name.
namespace SharedFile {

// Name of a fresh temporary file beside path, unique to this process and call.
QString temporaryNameFor(const QString& path);
bool isTemporaryName(const QString& fileName);

// Replaces path whole with bytes. With keepBackup, the current content (when
// not empty) is first kept as path + ".bak". Returns 0 or the system error;
// failedOpening, when given, tells a file that could not be opened for output
// (or take its name) from one whose writing failed.
int replace(const QString& path, const QByteArray& bytes, bool keepBackup, bool* failedOpening = nullptr);

// Replaces path whole with bytes, keeping the file it held as path + ".bak"
// without copying it: the old file is linked under the backup name before the
// new one takes the name, so the backup is exactly what was there. Where the
// folder has no hard links (a share), oldBytes, the content just read under the
// file's claim, are written as the backup instead. Only for files that nobody
// rewrites in place, since until the new file takes the name both names are one
// file. An empty old file leaves the backup as it was.
// The new content is given in pieces, written one after another.
int replaceLinkingBackup(const QString& path, const QList<QByteArrayView>& pieces, const QByteArray& oldBytes);

// Creates path with bytes only if no file of that name exists; EEXIST
// otherwise. The file appears complete or not at all.
int createNew(const QString& path, const QByteArray& bytes);

// Writes bytes to a new temporary file beside path and gives its name.
int writeTemporary(const QString& path, const QByteArray& bytes, QString* tempPath);

// Claims on shared names are folders. Creating a folder is one request that the
// file server decides, so of several machines exactly one gets it; an exclusive
// file create is not exclusive through every SMB client (smbnetfs tests for the
// name, then creates). 0, EEXIST when a file or folder of that name exists, or
// the system error.
int createFolderExclusive(const QString& path);

// Takes the file or folder path out of sight by renaming it to a fresh
// temporary name beside it (*aside), to be looked at or removed there. Others
// watching path see it whole or gone: a name deleted while another SMB client
// opens it stays "delete pending" for a moment, and smbnetfs drops its whole
// connection when it meets such a name. 0 or the system error.
int moveAside(const QString& path, QString* aside);

// Removes the temporary files of this module in folder whose time stamp is
// more than maxAgeSeconds before shareNowNs (the stamp of a file this copy has
// just written there: the share's clock, never this machine's), left by
// copies killed while writing, and the claim folders such copies had moved
// aside under a temporary name. Looks at one folder at most once every ten
// minutes per process. Returns how many were removed.
// SharedClaim::sweepLeftovers clears the claims and file states left as well.
int sweepTemporaries(const QString& folder, qint64 shareNowNs, int maxAgeSeconds = 600);
// The parts of it: whether folder was not looked at in the last ten minutes
// by this process (and it counts as looked at from now), and the removal.
bool sweepDue(const QString& folder);
int removeOldTemporaries(const QString& folder, qint64 shareNowNs, int maxAgeSeconds);
// A name temporaryNameFor makes.
bool isTemporaryOfACopy(const QString& fileName);

// Renames aside back to path unless path exists by now (then EEXIST).
int putBack(const QString& aside, const QString& path);

} // namespace SharedFile
