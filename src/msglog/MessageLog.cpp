#include "msglog/MessageLog.h"

#include "messaging/TextScramble.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/SharedClaim.h"
#include "platform/TextCodec.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QFile>

#include <cerrno>

namespace MessageLog {

QString separator()
{
    return QString(35, u'-');
}

QString trashSeparator()
{
    return QStringLiteral("<d>") + separator();
}

QString lockMarker()
{
    return QStringLiteral("This is a lock file");
}

QString toPrefix()
{
    return QStringLiteral("宛先：");
}

QString fromPrefix()
{
    return QStringLiteral("送信者：");
}

namespace {

QStringView withoutTrailingComma(QStringView v)
{
    return v.endsWith(u',') ? v.chopped(1) : v;
}

bool isDigitAt(QStringView r, qsizetype i)
{
    return i < r.size() && r[i].isDigit();
}

// Where the sender's name ends and the date starts: the first "(0", else "(1",
// else "(2", else the first blank; -1 when there is none.
qsizetype nameEnd(QStringView value)
{
    // One pass over the line, keeping the first place of each mark.
    qsizetype first[3] = {-1, -1, -1};
    qsizetype blank = -1;
    const qsizetype n = value.size();
    const QChar* d = value.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = d[i].unicode();
        if (c == u'(' && i + 1 < n) {
            const char16_t next = d[i + 1].unicode();
            if (next >= u'0' && next <= u'2' && first[next - u'0'] < 0) {
                first[next - u'0'] = i;
                if (next == u'0')
                    return i;
            }
        } else if (c == u' ' && blank < 0) {
            blank = i;
        }
    }
    for (qsizetype p : first)
        if (p >= 0)
            return p;
    return blank;
}

// The date and time after the name end; false when in neither form.
bool parseDate(QStringView r, char16_t date[8], char16_t time[6])
{
    if (r.size() > 2 && r[2] == u':') {
        // HH:MM MM/DD, written by older copies: the year is 2003.
        if (r.size() < 11 || !isDigitAt(r, 0) || !isDigitAt(r, 4) || !isDigitAt(r, 7) || !isDigitAt(r, 10))
            return false;
        const char16_t t[6] = {r[0].unicode(), r[1].unicode(), r[3].unicode(), r[4].unicode(), u'0', u'0'};
        const char16_t d[8] = {u'2', u'0', u'0', u'3', r[6].unicode(), r[7].unicode(), r[9].unicode(), r[10].unicode()};
        std::copy(std::begin(t), std::end(t), time);
        std::copy(std::begin(d), std::end(d), date);
        return true;
    }
    if (r.size() > 4 && r[4] == u'/') {
        if (r.size() < 19 || !isDigitAt(r, 0) || !isDigitAt(r, 6) || !isDigitAt(r, 9) || !isDigitAt(r, 12)
            || !isDigitAt(r, 18))
            return false;
        const int dp[8] = {0, 1, 2, 3, 5, 6, 8, 9};
        const int tp[6] = {11, 12, 14, 15, 17, 18};
        for (int k = 0; k < 8; ++k)
            date[k] = r[dp[k]].unicode();
        for (int k = 0; k < 6; ++k)
            time[k] = r[tp[k]].unicode();
        return true;
    }
    return false;
}

} // namespace

// Splits lines (CR LF or LF) and builds the record table over one buffer.
class Parser
{
public:
    Parser(RecordTable& table, qint64 firstLineNumber, ParseResult& out)
        : m_table(table), m_all(table.m_buffer), m_lineNo(firstLineNumber - 1), m_out(out)
    {
    }

    void run()
    {
        const QString sep = separator();
        const QString trashSep = trashSeparator();
        const QString to = toPrefix();
        const QString from = fromPrefix();
        const QChar* data = m_all.constData();
        const qsizetype n = m_all.size();
        m_table.m_entries.reserve(n / 160);
        qsizetype pos = 0;
        m_recordFirst = m_lineNo + 1;
        while (pos < n) {
            qsizetype nl = pos;
            while (nl < n && data[nl].unicode() != u'\n')
                ++nl;
            qsizetype end = nl;
            if (end > pos && data[end - 1] == u'\r')
                --end;
            ++m_lineNo;
            const QStringView line(data + pos, end - pos);
            const char16_t c0 = line.isEmpty() ? 0 : line[0].unicode();
            if (c0 == u'-' && line.size() == 35 && line == sep) {
                finish(false);
            } else if (c0 == u'<' && line.size() == 38 && line == trashSep) {
                finish(true);
            } else if (c0 == to[0] && line.startsWith(to)) {
                const QStringView v = withoutTrailingComma(line.mid(to.size()));
                m_cur.addressees = span(v);
                header(u'0');
            } else if (c0 == from[0] && line.startsWith(from)) {
                senderLine(line, withoutTrailingComma(line.mid(from.size())));
            } else {
                textLine(pos, end, nl);
            }
            pos = nl + 1;
        }
        m_out.lineCount = m_lineNo;
    }

private:
    using Entry = RecordTable::Entry;
    using Span = RecordTable::Span;

    Span span(QStringView v) const
    {
        return {qint32(v.data() - m_all.constData()), qint32(v.size())};
    }

    void header(char16_t direction)
    {
        if (!m_cur.direction)
            m_cur.direction = direction;
    }

    void senderLine(QStringView line, QStringView value)
    {
        const qsizetype p = nameEnd(value);
        if (p < 0) {
            // Nothing marks where the name ends: the whole value is the name.
            m_cur.sender = span(value);
            header(u'1');
            return;
        }
        char16_t date[8], time[6];
        if (!parseDate(value.mid(p + 1), date, time)) {
            m_out.dateErrors.append({m_lineNo, line.toString()});
            return;
        }
        m_cur.sender = span(value.left(p));
        std::copy(std::begin(date), std::end(date), m_cur.date);
        std::copy(std::begin(time), std::end(time), m_cur.time);
        m_cur.hasDate = true;
        header(u'1');
    }

    void textLine(qsizetype start, qsizetype end, qsizetype nl)
    {
        // The text lines of a record usually stand together in the file with
        // their CR LF: the record then points at that one run.
        const bool crlf = nl > end;
        if (m_runStart >= 0 && start == m_runEnd && crlf) {
            m_runEnd = nl + 1;
            return;
        }
        if (m_runStart < 0 && m_own.isEmpty() && crlf) {
            m_runStart = start;
            m_runEnd = nl + 1;
            return;
        }
        flushRunToOwn();
        m_own += QStringView(m_all).mid(start, end - start);
        m_own += QStringLiteral("\r\n");
    }

    void flushRunToOwn()
    {
        if (m_runStart < 0)
            return;
        m_own += QStringView(m_all).mid(m_runStart, m_runEnd - m_runStart);
        m_runStart = -1;
    }

    void finish(bool trash)
    {
        if (!m_own.isEmpty()) {
            flushRunToOwn();
            m_cur.ownText = qint32(m_table.m_ownTexts.size());
            m_table.m_ownTexts.append(m_own);
        } else if (m_runStart >= 0) {
            m_cur.text = {qint32(m_runStart), qint32(m_runEnd - m_runStart)};
        }
        m_cur.firstLine = m_recordFirst;
        m_cur.separatorLine = m_lineNo;
        m_cur.trash = trash;
        m_table.m_entries.append(m_cur);
        m_cur = Entry();
        m_own.clear();
        m_runStart = -1;
        m_recordFirst = m_lineNo + 1;
    }

    RecordTable& m_table;
    const QString& m_all;
    qint64 m_lineNo;
    ParseResult& m_out;
    Entry m_cur;
    qint64 m_recordFirst = 1;
    qsizetype m_runStart = -1;
    qsizetype m_runEnd = -1;
    QString m_own; // the text when it is not one run of the file
};

Record RecordTable::at(qsizetype k) const
{
    const Entry& e = m_entries[k];
    Record r;
    r.number = k + 1;
    r.firstLine = e.firstLine;
    r.separatorLine = e.separatorLine;
    r.date = date(k);
    r.time = time(k);
    r.direction = e.direction ? QString(QChar(e.direction)) : QString();
    r.sender = view(e.sender).toString();
    r.addressees = view(e.addressees).toString();
    r.text = text(k);
    r.trash = e.trash ? QStringLiteral("9") : QStringLiteral("0");
    return r;
}

QString RecordTable::date(qsizetype k) const
{
    const Entry& e = m_entries[k];
    return e.hasDate ? QString(reinterpret_cast<const QChar*>(e.date), 8) : QString();
}

QString RecordTable::time(qsizetype k) const
{
    const Entry& e = m_entries[k];
    return e.hasDate ? QString(reinterpret_cast<const QChar*>(e.time), 6) : QString();
}

QString RecordTable::text(qsizetype k) const
{
    const Entry& e = m_entries[k];
    if (e.ownText >= 0)
        return m_ownTexts[e.ownText];
    return view(e.text).toString();
}

SenderLine parseSenderValue(QStringView value)
{
    SenderLine s;
    const qsizetype p = nameEnd(value);
    if (p < 0) {
        s.sender = value.toString();
        return s;
    }
    s.sender = value.left(p).toString();
    char16_t date[8], time[6];
    if (!parseDate(value.mid(p + 1), date, time)) {
        s.status = SenderLine::DateError;
        return s;
    }
    s.date = QString(reinterpret_cast<const QChar*>(date), 8);
    s.time = QString(reinterpret_cast<const QChar*>(time), 6);
    s.status = SenderLine::Dated;
    return s;
}

QString dateErrorText(const DateError& e)
{
    return QStringLiteral("hizuke error!(") + QString::number(e.line) + QStringLiteral("レコード目 内容＝") + e.text
        + u')';
}

ParseResult parse(const QByteArray& bytes)
{
    ParseResult out;
    const qsizetype firstNl = bytes.indexOf('\n');
    QByteArray first = firstNl < 0 ? bytes : bytes.left(firstNl);
    if (first.endsWith('\r'))
        first.chop(1);
    const std::optional<QString> marker = Scramble::decode(QString::fromLatin1(first));
    if (!marker || *marker != lockMarker()) {
        out.records.m_buffer = Sjis::decode(bytes);
        Parser(out.records, 1, out).run();
        return out;
    }

    // Locked: line 2 is the password, every line from 3 on a scrambled log line.
    out.locked = true;
    QString& plain = out.records.m_buffer;
    plain.reserve(bytes.size() / 2);
    qsizetype pos = firstNl + 1;
    qint64 lineNo = 1;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        if (nl < 0)
            nl = bytes.size();
        qsizetype end = nl;
        if (end > pos && bytes[end - 1] == '\r')
            --end;
        ++lineNo;
        const QString scrambled = QString::fromLatin1(bytes.constData() + pos, end - pos);
        std::optional<QString> line = Scramble::decode(scrambled);
        if (!line) {
            out.unreadableLine = true;
            line = QString();
        }
        if (lineNo == 2) {
            out.password = *line;
        } else {
            plain += *line;
            if (nl < bytes.size())
                plain += QStringLiteral("\r\n");
        }
        pos = nl + 1;
    }
    Parser(out.records, 3, out).run();
    if (out.lineCount < lineNo)
        out.lineCount = lineNo;
    return out;
}

ParseResult Msglog_Read(const QString& path, IMessageBox& box, int* error)
{
    int err = 0;
    const QByteArray bytes = Fs::readBytes(path, &err);
    if (error)
        *error = err;
    if (err)
        return {};
    ParseResult r = parse(bytes);
    for (const DateError& e : r.dateErrors)
        box.show({dateErrorText(e), appTitle(), MsgIcon::None, MsgButtons::Ok});
    return r;
}

bool isLocked(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray first = f.readLine(4096);
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    const std::optional<QString> marker = Scramble::decode(QString::fromLatin1(first));
    return marker && *marker == lockMarker();
}

namespace {
QStringList textLines(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t.split(u'\n');
}
} // namespace

QStringList sentRecord(const QStringList& addressees, const QString& text, const QString& sender,
                       const QString& dateTime)
{
    QString to = toPrefix();
    for (const QString& a : addressees)
        to += a + u',';
    QStringList lines {to, QString()};
    lines += textLines(text);
    lines << QString() << fromPrefix() + sender + u' ' + dateTime << separator();
    return lines;
}

QStringList receivedRecord(const QString& sender, const QString& sendDateTime, const QString& text,
                           const QString& ownName)
{
    QStringList lines {fromPrefix() + sender + u'(' + sendDateTime + u')', QString()};
    lines += textLines(text);
    lines << QString() << toPrefix() + ownName << separator();
    return lines;
}

bool appendRecord(AppContext& ctx, const QStringList& lines, const QString& procedure)
{
    const QString path = ctx.settings().text(32);
    if (FileExists(path) == 0) {
        ctx.msgBox().stop(QStringLiteral("ログを書き込むファイルが見つかりません\n"
                                         "[ファイル]-[個別ファイルの場所の設定]を確認してください"),
                          QStringLiteral("ファイルが見つかりません"));
        return false;
    }
    // The viewer rewrites the log whole under this claim; appending under it
    // too means a rewrite never drops a record appended meanwhile.
    SharedClaim claim(SharedClaim::lockPathFor(path));
    if (const int err = claim.acquire()) {
        reportFileError(ctx.msgBox(), procedure, path, FileErrorKind::Open, err);
        return false;
    }
    const bool locked = isLocked(path);
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += Sjis::encode(locked ? Text_Scramble(line, 1) : line);
        bytes += "\r\n";
    }
    if (const int err = Fs::appendBytes(path, bytes)) {
        reportFileError(ctx.msgBox(), procedure, path,
                        err == ENOSPC || err == EIO || err == EDQUOT ? FileErrorKind::Write : FileErrorKind::Open,
                        err);
        return false;
    }
    return true;
}

} // namespace MessageLog
