#include "messaging/PathSplit.h"

QString Path_Split(const QString& path, int flags)
{
    if (path.isEmpty())
        return {};
    const qsizetype lastSep = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    // A colon counts as a drive only before the first separator, so a colon
    // inside a folder name of a POSIX path is not taken for one.
    qsizetype firstSep = path.size();
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] == u'\\' || path[i] == u'/') {
            firstSep = i;
            break;
        }
    }
    const qsizetype colon = path.indexOf(u':');
    const qsizetype driveEnd = colon >= 0 && colon < firstSep ? colon + 1 : 0;
    const qsizetype folderEnd = std::max(driveEnd, lastSep + 1);
    // The extension's dot must lie in the file name, not in a folder name.
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype nameEnd = dot >= folderEnd ? dot : path.size();

    QString out;
    if (flags & 1)
        out += path.left(driveEnd);
    if (flags & 2)
        out += path.mid(driveEnd, folderEnd - driveEnd);
    if (flags & 4)
        out += path.mid(folderEnd, nameEnd - folderEnd);
    if (flags & 8)
        out += path.mid(nameEnd);
    return out;
}
