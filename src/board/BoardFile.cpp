#include "board/BoardFile.h"

#include <QHash>

#include <algorithm>

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
    // Looked up by the row's texts, not by its written form: two rows that
    // differ only in characters Shift-JIS cannot write ("?" and an
    // undecodable pair) are written alike, and one must not take the other's
    // line. A row still in its place keeps its own line.
    const qsizetype known = std::min(original.rows.size(), original.lines.size());
    QHash<QStringList, qsizetype> asRead;
    for (qsizetype i = known - 1; i >= 0; --i)
        asRead.insert(original.rows[i].fields(), i);
    QByteArray out;
    for (qsizetype k = 0; k < rows.size(); ++k) {
        const BoardRow& r = rows[k];
        const qsizetype i = k < known && original.rows[k] == r ? k : asRead.value(r.fields(), -1);
        out += i >= 0 ? original.lines[i] + "\r\n" : format({r});
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
