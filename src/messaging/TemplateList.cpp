#include "messaging/TemplateList.h"

#include "platform/FileOps.h"
#include "platform/TextFile.h"

namespace TemplateList {

int load(const QString& path, QStringList* templates)
{
    templates->clear();
    if (!Fs::exists(path))
        if (const int err = Fs::writeBytes(path, QByteArray()))
            return err;
    const TextReadResult read = TextFile::readLines(path);
    if (!read.ok())
        return read.error;
    for (const QString& line : read.lines)
        if (!line.isEmpty())
            templates->append(line);
    return 0;
}

} // namespace TemplateList
