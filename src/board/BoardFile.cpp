#include "board/BoardFile.h"

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
            p.beyondRows.clear();
            return p;
        }
        p.rows.append(BoardRow::fromFields(line.fields));
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
    if (path.isEmpty()) {
        r.error = ENOENT;
        return r;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.error = errno;
        return r;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        r.error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return r;
    }
    r.stamp.exists = true;
    r.stamp.size = st.st_size;
    r.stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    r.stamp.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    r.stamp.inode = st.st_ino;
    r.stampText = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    r.bytes.reserve(qsizetype(st.st_size));
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            r.error = errno;
            break;
        }
        if (n == 0)
            break;
        r.bytes.append(buf, n);
    }
    ::close(fd);
    return r;
}

} // namespace BoardFile
