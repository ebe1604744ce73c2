#include "dialogs/PersonalListFile.h"

#include "platform/FileOps.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextFile.h"

namespace PersonalListFile {

int load(const QString& path, QString* text)
{
    if (!Fs::isFile(path))
        if (const int err = Fs::appendBytes(path, QByteArray()))
            return err;
    const TextReadResult r = TextFile::readLines(path);
    if (!r.ok())
        return r.error;
    text->clear();
    for (const QString& line : r.lines)
        *text += line + u'\n';
    return 0;
}

int save(const QString& path, const QString& text, bool* failedOpening)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Written whole under a temporary name first: a failed write keeps the old list.
    const int err = SharedFile::replace(path, TextFile::joinLines(normalized.split(u'\n')), false, failedOpening);
    if (err == 0)
        SharedClaim::sweepLeftovers(path);
    return err;
}

} // namespace PersonalListFile
