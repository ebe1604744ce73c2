#include "msglog/LogRewrite.h"

#include "common/TextScramble.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextCodec.h"

#include <algorithm>

namespace LogRewrite {
namespace {

using MessageLog::RecordTable;

// A line of the file as bytes, without its line break, and the break itself,
// so untouched lines are written back byte for byte.
struct Line {
    QByteArray text;
    QByteArray end;
};

QList<Line> splitLines(const QByteArray& bytes)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        if (nl < 0) {
            lines.append({bytes.mid(pos), QByteArray()});
            break;
        }
        qsizetype textEnd = nl > pos && bytes[nl - 1] == '\r' ? nl - 1 : nl;
        lines.append({bytes.mid(pos, textEnd - pos), bytes.mid(textEnd, nl + 1 - textEnd)});
        pos = nl + 1;
    }
    return lines;
}

QByteArray join(const QList<Line>& lines)
{
    QByteArray out;
    for (const Line& l : lines)
        out += l.text + l.end;
    return out;
}

bool headerSays(const Line& line, const QString& text)
{
    const auto plain = Scramble::decode(QString::fromLatin1(line.text));
    return plain && *plain == text;
}

QByteArray encodeLine(const QString& text)
{
    return Text_Scramble(text, 1).toLatin1();
}

// Held claim plus the log's bytes, read under it.
struct Session {
    QString path;
    SharedClaim claim;
    QByteArray bytes;
    Fs::FileStamp stamp;
    int error = 0;
    explicit Session(const QString& logPath) : path(logPath), claim(SharedClaim::lockPathFor(logPath))
    {
        error = claim.acquire();
        if (!error)
            bytes = Fs::readBytes(path, &error, &stamp);
    }
    // Still under the claim: what copies killed while rewriting left beside
    // the log is aged against its stamp.
    ~Session()
    {
        if (!error)
            SharedClaim::sweepLeftovers(path);
    }
};

enum class Kind { Trash, Restore };

Result flipSeparators(const QString& path, const Fs::FileStamp& loaded, const RecordTable& table,
                      const QList<qint64>& numbers, Kind kind)
{
    Session s(path);
    if (s.error)
        return {Outcome::FileError, s.error};
    if (!(s.stamp == loaded))
        return {Outcome::Changed};
    QList<Line> lines = splitLines(s.bytes);
    const bool locked = !lines.isEmpty() && headerSays(lines.first(), MessageLog::lockMarker());
    const QString from = kind == Kind::Trash ? MessageLog::separator() : MessageLog::trashSeparator();
    const QString to = kind == Kind::Trash ? MessageLog::trashSeparator() : MessageLog::separator();
    QList<qint64> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    int changed = 0;
    for (qint64 number : sorted) {
        if (number < 1 || number > table.size())
            continue;
        const qint64 lineNo = table.separatorLine(number - 1);
        if (lineNo < 1 || lineNo > lines.size())
            continue;
        Line& line = lines[lineNo - 1];
        // The table says where the separator is; the bytes must agree, so a
        // record already in the wanted state (a mixed selection) stays as it is.
        const QString text = locked ? Scramble::decode(QString::fromLatin1(line.text)).value_or(QString())
                                    : Sjis::decode(line.text);
        if (text != from)
            continue;
        line.text = locked ? encodeLine(to) : Sjis::encode(to);
        ++changed;
    }
    if (changed == 0)
        return {Outcome::Done};
    if (const int err = SharedFile::replace(path, join(lines), true))
        return {Outcome::FileError, err};
    return {Outcome::Done, 0, changed};
}

} // namespace

Result moveToTrash(const QString& path, const Fs::FileStamp& loaded, const RecordTable& table,
                   const QList<qint64>& numbers)
{
    return flipSeparators(path, loaded, table, numbers, Kind::Trash);
}

Result restore(const QString& path, const Fs::FileStamp& loaded, const RecordTable& table,
               const QList<qint64>& numbers)
{
    return flipSeparators(path, loaded, table, numbers, Kind::Restore);
}

Result purge(const QString& path, const Fs::FileStamp& loaded, const RecordTable& table,
             const QList<qint64>& numbers)
{
    Session s(path);
    if (s.error)
        return {Outcome::FileError, s.error};
    if (!(s.stamp == loaded))
        return {Outcome::Changed};
    const QList<Line> lines = splitLines(s.bytes);
    const bool locked = !lines.isEmpty() && headerSays(lines.first(), MessageLog::lockMarker());
    QList<bool> drop(lines.size(), false);
    int changed = 0;
    for (qint64 number : numbers) {
        if (number < 1 || number > table.size())
            continue;
        const qint64 first = table.firstLine(number - 1);
        const qint64 last = table.separatorLine(number - 1);
        if (first < 1 || last < first || last > lines.size() || drop[last - 1])
            continue;
        // Only records in the trash are purged, and only when the bytes still
        // end the record with the trash separator.
        const Line& sep = lines[last - 1];
        const QString text = locked ? Scramble::decode(QString::fromLatin1(sep.text)).value_or(QString())
                                    : Sjis::decode(sep.text);
        if (text != MessageLog::trashSeparator())
            continue;
        for (qint64 n = first; n <= last; ++n)
            drop[n - 1] = true;
        ++changed;
    }
    if (changed == 0)
        return {Outcome::Done};
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!drop[i])
            out += lines[i].text + lines[i].end;
    if (const int err = SharedFile::replace(path, out, true))
        return {Outcome::FileError, err};
    return {Outcome::Done, 0, changed};
}

namespace {

QByteArray lockedBytes(const QList<Line>& lines, const QString& password)
{
    QByteArray out = encodeLine(MessageLog::lockMarker()) + "\r\n" + encodeLine(password) + "\r\n";
    for (const Line& l : lines)
        out += encodeLine(Sjis::decode(l.text)) + "\r\n";
    return out;
}

} // namespace

Result lock(const QString& path, const QString& password)
{
    Session s(path);
    if (s.error)
        return {Outcome::FileError, s.error};
    const QList<Line> lines = splitLines(s.bytes);
    if (!lines.isEmpty() && headerSays(lines.first(), MessageLog::lockMarker()))
        return {Outcome::AlreadyLocked};
    // The backup of an earlier trash or purge is the log in plain text:
    // scramble it first, so a crash between the two never leaves it plain
    // beside a locked log.
    const QString bak = path + QStringLiteral(".bak");
    if (Fs::isFile(bak)) {
        int err = 0;
        const QByteArray bakBytes = Fs::readBytes(bak, &err);
        if (err)
            return {Outcome::FileError, err};
        const QList<Line> bakLines = splitLines(bakBytes);
        if (bakLines.isEmpty() || !headerSays(bakLines.first(), MessageLog::lockMarker())) {
            if (const int e = SharedFile::replace(bak, lockedBytes(bakLines, password), false))
                return {Outcome::FileError, e};
        }
    }
    if (const int err = SharedFile::replace(path, lockedBytes(lines, password), false))
        return {Outcome::FileError, err};
    return {Outcome::Done, 0, int(lines.size())};
}

Result unlock(const QString& path, const QString& password)
{
    Session s(path);
    if (s.error)
        return {Outcome::FileError, s.error};
    const QList<Line> lines = splitLines(s.bytes);
    if (lines.size() < 2 || !headerSays(lines.first(), MessageLog::lockMarker()))
        return {Outcome::NotLocked};
    const auto stored = Scramble::decode(QString::fromLatin1(lines[1].text));
    if (!stored || *stored != password)
        return {Outcome::WrongPassword};
    QByteArray out;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const auto plain = Scramble::decode(QString::fromLatin1(lines[i].text));
        if (!plain)
            return {Outcome::Damaged};
        out += Sjis::encode(*plain) + "\r\n";
    }
    if (const int err = SharedFile::replace(path, out, false))
        return {Outcome::FileError, err};
    return {Outcome::Done, 0, int(lines.size() - 2)};
}

} // namespace LogRewrite
