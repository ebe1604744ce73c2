#include "msglog/LogRewrite.h"

#include "common/TextScramble.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace LogRewrite {
namespace {

using MessageLog::RecordTable;

// Walks the log's lines forwards, finding where a line starts and where its
// text ends (before its line break) by counting breaks: the rewrites touch a
// few lines of a large log and pass the rest through byte for byte.
class LineCursor
{
public:
    explicit LineCursor(QByteArrayView bytes) : m_bytes(bytes) {}
    // Moves to line n (from 1; never backwards). False when the log has fewer lines.
    bool seek(qint64 n)
    {
        const char* d = m_bytes.data();
        const qsizetype size = m_bytes.size();
        while (m_line < n && m_pos < size) {
            const void* nl = std::memchr(d + m_pos, '\n', std::size_t(size - m_pos));
            m_pos = nl ? static_cast<const char*>(nl) - d + 1 : size;
            ++m_line;
        }
        return m_line == n && m_pos < size;
    }
    qsizetype start() const { return m_pos; }
    qsizetype textEnd() const
    {
        const void* nl = std::memchr(m_bytes.data() + m_pos, '\n', std::size_t(m_bytes.size() - m_pos));
        if (!nl)
            return m_bytes.size();
        qsizetype e = static_cast<const char*>(nl) - m_bytes.data();
        return e > m_pos && m_bytes[e - 1] == '\r' ? e - 1 : e;
    }
    QByteArrayView text() const { return m_bytes.sliced(m_pos, textEnd() - m_pos); }

private:
    QByteArrayView m_bytes;
    qint64 m_line = 1;
    qsizetype m_pos = 0;
};

QString textOf(QByteArrayView line, bool locked)
{
    if (!locked)
        return Sjis::decode(line.data(), line.size());
    QString out;
    return Scramble::decodeAppend(line.data(), line.size(), out) ? out : QString();
}

// Line n of bytes decodes from its scrambled form to text.
bool lineSays(QByteArrayView bytes, qint64 n, const QString& text)
{
    LineCursor c(bytes);
    if (!c.seek(n))
        return false;
    QString plain;
    const QByteArrayView line = c.text();
    return Scramble::decodeAppend(line.data(), line.size(), plain) && plain == text;
}

bool isLocked(QByteArrayView bytes)
{
    return lineSays(bytes, 1, MessageLog::lockMarker());
}

QByteArray encodeLine(const QString& text)
{
    QByteArray out;
    Scramble::encodeAppend(text, Scramble::systemKeys()(), out);
    return out;
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
    const bool locked = isLocked(s.bytes);
    const QString from = kind == Kind::Trash ? MessageLog::separator() : MessageLog::trashSeparator();
    const QString to = kind == Kind::Trash ? MessageLog::trashSeparator() : MessageLog::separator();
    QList<qint64> lineNumbers;
    for (qint64 number : numbers)
        if (number >= 1 && number <= table.size())
            lineNumbers.append(table.separatorLine(number - 1));
    std::sort(lineNumbers.begin(), lineNumbers.end());
    lineNumbers.erase(std::unique(lineNumbers.begin(), lineNumbers.end()), lineNumbers.end());
    // The new log in pieces: the old bytes between the changed lines, and the
    // changed lines' new text.
    const QByteArray newText = locked ? encodeLine(to) : Sjis::encode(to);
    QList<QByteArrayView> pieces;
    LineCursor line(s.bytes);
    qsizetype copied = 0;
    for (qint64 lineNo : lineNumbers) {
        // The table says where the separator is; the bytes must agree, so a
        // record already in the wanted state (a mixed selection) stays as it is.
        if (lineNo < 1 || !line.seek(lineNo) || textOf(line.text(), locked) != from)
            continue;
        pieces << QByteArrayView(s.bytes).sliced(copied, line.start() - copied) << newText;
        copied = line.textEnd();
    }
    const int changed = int(pieces.size() / 2);
    if (changed == 0)
        return {Outcome::Done};
    pieces << QByteArrayView(s.bytes).sliced(copied);
    if (const int err = SharedFile::replaceLinkingBackup(path, pieces, s.bytes))
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
    const bool locked = isLocked(s.bytes);
    QList<std::pair<qint64, qint64>> spans; // first line, separator line
    for (qint64 number : numbers)
        if (number >= 1 && number <= table.size())
            spans.append({table.firstLine(number - 1), table.separatorLine(number - 1)});
    std::sort(spans.begin(), spans.end());
    spans.erase(std::unique(spans.begin(), spans.end()), spans.end());
    QList<QByteArrayView> pieces;
    LineCursor line(s.bytes);
    qsizetype copied = 0;
    int changed = 0;
    for (const auto& [first, last] : spans) {
        if (first < 1 || last < first || !line.seek(first))
            continue;
        const qsizetype from = line.start();
        // Only records in the trash are purged, and only when the bytes still
        // end the record with the trash separator.
        if (!line.seek(last) || textOf(line.text(), locked) != MessageLog::trashSeparator())
            continue;
        pieces << QByteArrayView(s.bytes).sliced(copied, from - copied);
        line.seek(last + 1);
        copied = line.start();
        ++changed;
    }
    if (changed == 0)
        return {Outcome::Done};
    pieces << QByteArrayView(s.bytes).sliced(copied);
    if (const int err = SharedFile::replaceLinkingBackup(path, pieces, s.bytes))
        return {Outcome::FileError, err};
    return {Outcome::Done, 0, changed};
}

namespace {

// The locked form of a plain log: marker, password, then every line scrambled.
QByteArray lockedBytes(const QByteArray& plain, const QString& password, int* lineCount = nullptr)
{
    int count = 0;
    const QString text = Sjis::decode(plain);
    QByteArray out;
    // Four code bytes per UTF-16 unit, a key pair and a line break per line.
    out.reserve(4 * text.size() + 4 + 256);
    const Scramble::KeySource keys = Scramble::systemKeys();
    const auto put = [&](QStringView line) {
        Scramble::encodeAppend(line, keys(), out);
        out.append("\r\n", 2);
    };
    put(MessageLog::lockMarker());
    put(password);
    const QStringView all(text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype nl = all.indexOf(u'\n', pos);
        qsizetype next = nl < 0 ? all.size() : nl + 1;
        qsizetype end = nl < 0 ? all.size() : nl;
        if (nl >= 0 && end > pos && all[end - 1] == u'\r')
            --end;
        put(all.sliced(pos, end - pos));
        ++count;
        pos = next;
    }
    if (lineCount)
        *lineCount = count;
    return out;
}

} // namespace

Result lock(const QString& path, const QString& password)
{
    Session s(path);
    if (s.error)
        return {Outcome::FileError, s.error};
    if (isLocked(s.bytes))
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
        if (!isLocked(bakBytes)) {
            if (const int e = SharedFile::replace(bak, lockedBytes(bakBytes, password), false))
                return {Outcome::FileError, e};
        }
    }
    int lines = 0;
    if (const int err = SharedFile::replace(path, lockedBytes(s.bytes, password, &lines), false))
        return {Outcome::FileError, err};
    return {Outcome::Done, 0, lines};
}

Result unlock(const QString& path, const QString& password)
{
    Session s(path);
    if (s.error)
        return {Outcome::FileError, s.error};
    LineCursor line(s.bytes);
    if (!isLocked(s.bytes) || !line.seek(2))
        return {Outcome::NotLocked};
    QString stored;
    if (!Scramble::decodeAppend(line.text().data(), line.text().size(), stored) || stored != password)
        return {Outcome::WrongPassword};
    QString plain;
    plain.reserve(s.bytes.size() / 4 + 1024);
    qint64 count = 0;
    for (qint64 n = 3; line.seek(n); ++n, ++count) {
        const QByteArrayView text = line.text();
        if (!Scramble::decodeAppend(text.data(), text.size(), plain))
            return {Outcome::Damaged};
        plain.append(QLatin1StringView("\r\n"));
    }
    const QByteArray out = Sjis::encode(plain);
    if (const int err = SharedFile::replace(path, out, false))
        return {Outcome::FileError, err};
    return {Outcome::Done, 0, int(count)};
}

} // namespace LogRewrite
