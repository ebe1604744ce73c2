#include "board/BoardFile.h"

#include <QHash>

#include "board/BoardState.h"
#include "platform/QuotedCsv.h"
#include "platform/TextCodec.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BoardFile {

namespace {

// Lines of bytes without their CR LF (or LF). Shift-JIS trail bytes never take
// the values of CR or LF, so splitting before decoding is safe. start receives
// the offset of each line.
QList<QByteArray> splitLines(const QByteArray& bytes, QList<qsizetype>* starts)
{
    QList<QByteArray> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        const qsizetype next = nl < 0 ? bytes.size() : nl + 1;
        if (nl < 0)
            nl = bytes.size();
        qsizetype end = nl;
        if (end > pos && bytes[end - 1] == '\r')
            --end;
        lines.append(bytes.mid(pos, end - pos));
        if (starts)
            starts->append(pos);
        pos = next;
    }
    return lines;
}

bool isBlank(const QByteArray& line)
{
    return line.trimmed().isEmpty();
}

} // namespace

Parsed parse(const QByteArray& bytes)
{
    Parsed p;
    QList<qsizetype> starts;
    const QList<QByteArray> lines = splitLines(bytes, &starts);
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (isBlank(lines[k]))
            continue;
        if (p.rows.size() == BoardState::MaxRows) {
            p.beyondRows = bytes.mid(starts[k]);
            break;
        }
        const QuotedCsv::ParsedLine line = QuotedCsv::parseLine(Sjis::decode(lines[k]));
        if (!line.complete || line.fields.size() < BoardRow::FieldCount) {
            // A line that stops before its seventh field: another program is still
            // writing the file (or it is damaged). The caller reads again.
            p.cutShort = true;
            p.rows.clear();
            p.lines.clear();
            p.beyondRows.clear();
            return p;
        }
        p.rows.append(BoardRow::fromFields(line.fields));
        p.lines.append(lines[k]);
    }
    return p;
}

QByteArray format(const QList<BoardRow>& rows, const QByteArray& beyond)
{
    QString text;
    for (const BoardRow& r : rows) {
        text += QuotedCsv::formatTextLine(r.fields());
        text += QLatin1String("\r\n");
    }
    QByteArray out = Sjis::encode(text);
    if (!beyond.isEmpty()) {
        out += beyond;
        if (!out.endsWith('\n'))
            out += "\r\n";
    }
    return out;
}

QByteArray format(const QList<BoardRow>& rows, const QByteArray& beyond, const Parsed& original)
{
    QHash<QByteArray, QByteArray> asRead;
    for (qsizetype i = 0; i < original.rows.size() && i < original.lines.size(); ++i)
        asRead.insert(format({original.rows[i]}), original.lines[i] + "\r\n");
    QByteArray out;
    for (const BoardRow& r : rows) {
        const QByteArray line = format({r});
        out += asRead.value(line, line);
    }
    if (!beyond.isEmpty()) {
        out += beyond;
        if (!out.endsWith('\n'))
            out += "\r\n";
    }
    return out;
}

int countRows(const QByteArray& bytes)
{
    int n = 0;
    for (const QByteArray& line : splitLines(bytes, nullptr)) {
        if (!isBlank(line) && ++n == BoardState::MaxRows)
            break;
    }
    return n;
}

RawRead read(const QString& path)
{
    RawRead r;
    r.bytes = Fs::readBytes(path, &r.error, &r.stamp);
    r.stampText = Fs::timeText(r.stamp);
    return r;
}

} // namespace BoardFile
