#include "platform/TextFile.h"

#include "platform/FileOps.h"
#include "platform/TextCodec.h"

#include <cerrno>

namespace TextFile {

QStringList splitLines(const QString& text, bool* endsWithNewline)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == u'\n') {
            qsizetype end = i;
            if (end > start && text[end - 1] == u'\r')
                --end;
            lines.append(text.mid(start, end - start));
            start = i + 1;
        }
    }
    const bool trailing = start == n;
    if (!trailing)
        lines.append(text.mid(start));
    if (endsWithNewline)
        *endsWithNewline = trailing && n > 0;
    return lines;
}

QString readAll(const QString& path, int* error)
{
    int err = 0;
    const QByteArray bytes = Fs::readBytes(path, &err);
    if (error)
        *error = err;
    return Sjis::decode(bytes);
}

TextReadResult readLines(const QString& path)
{
    TextReadResult r;
    const QString text = readAll(path, &r.error);
    if (r.error == 0)
        r.lines = splitLines(text, &r.endsWithNewline);
    return r;
}

QByteArray joinLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += Sjis::encode(line);
        out += "\r\n";
    }
    return out;
}

int writeText(const QString& path, const QString& text)
{
    return Fs::writeBytes(path, Sjis::encode(text));
}

int writeLines(const QString& path, const QStringList& lines)
{
    return Fs::writeBytes(path, joinLines(lines));
}

int appendLines(const QString& path, const QStringList& lines)
{
    return Fs::appendBytes(path, joinLines(lines));
}

} // namespace TextFile
