#include "msglog/MessageLog.h"

#include "common/TextScramble.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/SharedClaim.h"
#include "platform/TextCodec.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

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

// Character access shared by the byte form (Shift-JIS: every character the
// parser looks at is ASCII, and a line feed byte never occurs inside a
// double-byte character) and the UTF-16 form.
template<typename CharT>
inline char16_t unit(CharT c)
{
    if constexpr (sizeof(CharT) == 1)
        return char16_t(static_cast<unsigned char>(c));
    else
        return char16_t(c);
}

template<typename CharT>
struct Text {
    const CharT* data = nullptr;
    qsizetype size = 0;
    char16_t operator[](qsizetype i) const { return unit(data[i]); }
    Text mid(qsizetype pos, qsizetype len = -1) const
    {
        return {data + pos, len < 0 ? size - pos : len};
    }
    bool equals(const Text& other) const
    {
        return size == other.size && std::equal(data, data + size, other.data);
    }
    bool startsWith(const Text& prefix) const
    {
        return size >= prefix.size && std::equal(prefix.data, prefix.data + prefix.size, data);
    }
};

template<typename CharT>
Text<CharT> withoutTrailingComma(Text<CharT> v)
{
    return v.size > 0 && v[v.size - 1] == u',' ? v.mid(0, v.size - 1) : v;
}

template<typename CharT>
bool isDigitAt(Text<CharT> r, qsizetype i)
{
    return i < r.size && r[i] >= u'0' && r[i] <= u'9';
}

// Where the sender's name ends and the date starts: the first "(0", else "(1",
// else "(2", else the first blank; -1 when there is none. One pass.
template<typename CharT>
qsizetype nameEnd(Text<CharT> value)
{
    qsizetype first[3] = {-1, -1, -1};
    qsizetype blank = -1;
    for (qsizetype i = 0; i < value.size; ++i) {
        const char16_t c = value[i];
        if (c == u'(' && i + 1 < value.size) {
            const char16_t next = value[i + 1];
            if (next >= u'0' && next <= u'2' && first[next - u'0'] < 0) {
                first[next - u'0'] = i;
                if (next == u'0')
                    return i;
            }
        } else if (c == u' ' && blank < 0) {
            blank = i;
        }
        if constexpr (sizeof(CharT) == 1) {
            // Skip the trail byte of a double-byte character: it may look like "(" or a digit.
            const unsigned char b = static_cast<unsigned char>(value.data[i]);
            if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < value.size)
                ++i;
        }
    }
    for (qsizetype p : first)
        if (p >= 0)
            return p;
    return blank;
}

// The date and time after the name end; false when in neither form.
template<typename CharT>
bool parseDate(Text<CharT> r, char16_t date[8], char16_t time[6])
{
    if (r.size > 2 && r[2] == u':') {
        // HH:MM MM/DD, written by older copies: the year is 2003.
        if (r.size < 11 || !isDigitAt(r, 0) || !isDigitAt(r, 4) || !isDigitAt(r, 7) || !isDigitAt(r, 10))
            return false;
        const char16_t t[6] = {r[0], r[1], r[3], r[4], u'0', u'0'};
        const char16_t d[8] = {u'2', u'0', u'0', u'3', r[6], r[7], r[9], r[10]};
        std::copy(std::begin(t), std::end(t), time);
        std::copy(std::begin(d), std::end(d), date);
        return true;
    }
    if (r.size > 4 && r[4] == u'/') {
        if (r.size < 19 || !isDigitAt(r, 0) || !isDigitAt(r, 6) || !isDigitAt(r, 9) || !isDigitAt(r, 12)
            || !isDigitAt(r, 18))
            return false;
        const int dp[8] = {0, 1, 2, 3, 5, 6, 8, 9};
        const int tp[6] = {11, 12, 14, 15, 17, 18};
        for (int k = 0; k < 8; ++k)
            date[k] = r[dp[k]];
        for (int k = 0; k < 6; ++k)
            time[k] = r[tp[k]];
        return true;
    }
    return false;
}

QString toQString(Text<char> t)
{
    return Sjis::decode(t.data, t.size);
}

QString toQString(Text<char16_t> t)
{
    return QString(reinterpret_cast<const QChar*>(t.data), t.size);
}

// The fixed texts in the buffer's form.
template<typename CharT>
struct Marks {
    std::basic_string<CharT> to, from, sep, trashSep;
    static std::basic_string<CharT> of(const QString& s)
    {
        if constexpr (sizeof(CharT) == 1) {
            const QByteArray b = Sjis::encode(s);
            return std::basic_string<CharT>(b.constData(), std::size_t(b.size()));
        } else {
            return std::basic_string<CharT>(reinterpret_cast<const CharT*>(s.utf16()), std::size_t(s.size()));
        }
    }
    Marks() : to(of(toPrefix())), from(of(fromPrefix())), sep(of(separator())), trashSep(of(trashSeparator())) {}
    static Text<CharT> text(const std::basic_string<CharT>& s) { return {s.data(), qsizetype(s.size())}; }
};

} // namespace

// Splits a buffer into lines (CR LF or LF) and builds the record table over it.
template<typename CharT>
class Parser
{
public:
    Parser(RecordTable& table, const CharT* data, qsizetype size, qint64 firstLineNumber, ParseResult& out,
           const Progress* progress = nullptr)
        : m_table(table), m_data(data), m_size(size), m_lineNo(firstLineNumber - 1), m_out(out),
          m_progress(progress && *progress ? progress : nullptr)
    {
    }

    void run()
    {
        static const Marks<CharT> marks;
        const Text<CharT> to = Marks<CharT>::text(marks.to);
        const Text<CharT> from = Marks<CharT>::text(marks.from);
        const Text<CharT> sep = Marks<CharT>::text(marks.sep);
        const Text<CharT> trashSep = Marks<CharT>::text(marks.trashSep);
        m_table.m_entries.reserve(m_size / (sizeof(CharT) == 1 ? 160 : 80));
        qsizetype pos = 0;
        m_recordFirst = m_lineNo + 1;
        while (pos < m_size) {
            qsizetype nl = nextLineFeed(pos);
            qsizetype end = nl;
            if (end > pos && m_data[end - 1] == CharT('\r'))
                --end;
            ++m_lineNo;
            const Text<CharT> line {m_data + pos, end - pos};
            const char16_t c0 = line.size ? line[0] : 0;
            if (c0 == u'-' && line.equals(sep)) {
                finish(false);
            } else if (c0 == u'<' && line.equals(trashSep)) {
                finish(true);
            } else if (c0 == to[0] && line.startsWith(to)) {
                m_cur.addressees = span(withoutTrailingComma(line.mid(to.size)));
                header(u'0');
            } else if (c0 == from[0] && line.startsWith(from)) {
                senderLine(line, withoutTrailingComma(line.mid(from.size)));
            } else {
                textLine(pos, end, nl);
            }
            pos = nl + 1;
            if (m_progress && (m_lineNo & 4095) == 0)
                (*m_progress)(pos, m_size);
        }
        m_out.lineCount = m_lineNo;
    }

private:
    using Entry = RecordTable::Entry;
    using Span = RecordTable::Span;

    qsizetype nextLineFeed(qsizetype pos) const
    {
        if constexpr (sizeof(CharT) == 1) {
            const void* p = std::memchr(m_data + pos, '\n', std::size_t(m_size - pos));
            return p ? static_cast<const CharT*>(p) - m_data : m_size;
        } else {
            const qsizetype i = QStringView(m_data + pos, m_size - pos).indexOf(u'\n');
            return i < 0 ? m_size : pos + i;
        }
    }

    Span span(Text<CharT> v) const
    {
        return {qint32(v.data - m_data), qint32(v.size)};
    }

    void header(char16_t direction)
    {
        if (!m_cur.direction)
            m_cur.direction = direction;
    }

    void senderLine(Text<CharT> line, Text<CharT> value)
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
            m_out.dateErrors.append({m_lineNo, toQString(line)});
            return;
        }
        m_cur.sender = span(value.mid(0, p));
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
        m_own += toQString(Text<CharT> {m_data + start, end - start});
        m_own += QStringLiteral("\r\n");
    }

    void flushRunToOwn()
    {
        if (m_runStart < 0)
            return;
        m_own += toQString(Text<CharT> {m_data + m_runStart, m_runEnd - m_runStart});
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
    const CharT* m_data;
    qsizetype m_size;
    qint64 m_lineNo;
    ParseResult& m_out;
    Entry m_cur;
    qint64 m_recordFirst = 1;
    qsizetype m_runStart = -1;
    qsizetype m_runEnd = -1;
    QString m_own; // the text when it is not one CR LF run of the file
    const Progress* m_progress = nullptr;
};

QString RecordTable::view(Span s) const
{
    if (!m_chars.isNull())
        return m_chars.mid(s.pos, s.len);
    return Sjis::decode(m_bytes.constData() + s.pos, s.len);
}

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
    r.sender = view(e.sender);
    r.addressees = view(e.addressees);
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

namespace {
quint64 packKey(const char16_t* units, int n)
{
    // One byte a unit keeps the order of the texts, which are digits as written;
    // a unit above 255 (a damaged date) counts as 255.
    quint64 v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | std::min<quint64>(units[i], 255);
    return v;
}
} // namespace

QByteArrayView RecordTable::otherPartyRaw(qsizetype k) const
{
    const Entry& e = m_entries[k];
    const Span s = e.direction == u'0' ? e.addressees : e.sender;
    if (!m_chars.isNull())
        return QByteArrayView(reinterpret_cast<const char*>(m_chars.constData() + s.pos), s.len * 2);
    return QByteArrayView(m_bytes.constData() + s.pos, s.len);
}

quint64 RecordTable::dateKey(qsizetype k) const
{
    const Entry& e = m_entries[k];
    return e.hasDate ? packKey(e.date, 8) : 0;
}

quint64 RecordTable::timeKey(qsizetype k) const
{
    const Entry& e = m_entries[k];
    return e.hasDate ? packKey(e.time, 6) : 0;
}

qsizetype RecordTable::memoryBytes() const
{
    qsizetype n = m_bytes.capacity() + m_chars.capacity() * 2 + m_entries.capacity() * qsizetype(sizeof(Entry));
    for (const QString& t : m_ownTexts)
        n += t.capacity() * 2 + qsizetype(sizeof(QString));
    return n;
}

QString RecordTable::text(qsizetype k) const
{
    const Entry& e = m_entries[k];
    if (e.ownText >= 0)
        return m_ownTexts[e.ownText];
    return view(e.text);
}

SenderLine parseSenderValue(QStringView value)
{
    SenderLine s;
    const Text<char16_t> v {value.utf16(), value.size()};
    const qsizetype p = nameEnd(v);
    if (p < 0) {
        s.sender = value.toString();
        return s;
    }
    s.sender = value.left(p).toString();
    char16_t date[8], time[6];
    if (!parseDate(v.mid(p + 1), date, time)) {
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
    return parse(bytes, Progress());
}

std::optional<QString> lockPassword(const QByteArray& bytes)
{
    const qsizetype firstNl = bytes.indexOf('\n');
    if (firstNl < 0)
        return std::nullopt;
    const auto line = [&](qsizetype from, qsizetype to) {
        if (to > from && bytes[to - 1] == '\r')
            --to;
        return QString::fromLatin1(bytes.constData() + from, to - from);
    };
    const std::optional<QString> marker = Scramble::decode(line(0, firstNl));
    if (!marker || *marker != lockMarker())
        return std::nullopt;
    qsizetype secondNl = bytes.indexOf('\n', firstNl + 1);
    if (secondNl < 0)
        secondNl = bytes.size();
    return Scramble::decode(line(firstNl + 1, secondNl)).value_or(QString());
}

ParseResult parse(const QByteArray& bytes, const Progress& progress)
{
    ParseResult out;
    const qsizetype firstNl = bytes.indexOf('\n');
    QByteArray first = firstNl < 0 ? bytes : bytes.left(firstNl);
    if (first.endsWith('\r'))
        first.chop(1);
    const std::optional<QString> marker = Scramble::decode(QString::fromLatin1(first));
    if (!marker || *marker != lockMarker()) {
        out.records.m_bytes = bytes;
        Parser<char>(out.records, out.records.m_bytes.constData(), out.records.m_bytes.size(), 1, out, &progress).run();
        return out;
    }

    // Locked: line 2 is the password, every line from 3 on a scrambled log line.
    out.locked = true;
    QString& plain = out.records.m_chars;
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
        if (progress && (lineNo & 4095) == 0)
            progress(pos, bytes.size()); // decoding is the long part of a locked load
        if (lineNo == 2) {
            out.password = Scramble::decode(QString::fromLatin1(bytes.constData() + pos, end - pos)).value_or(QString());
        } else {
            if (!Scramble::decodeAppend(bytes.constData() + pos, end - pos, plain))
                out.unreadableLine = true; // kept as an empty line, never as garbage
            if (nl < bytes.size())
                plain += QStringLiteral("\r\n");
        }
        pos = nl + 1;
    }
    if (plain.isNull())
        plain = QStringLiteral("");
    Parser<char16_t>(out.records, reinterpret_cast<const char16_t*>(plain.utf16()), plain.size(), 3, out).run();
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
    reportDateErrors(r.dateErrors, box);
    return r;
}

void reportDateErrors(const QList<DateError>& errors, IMessageBox& box)
{
    if (errors.isEmpty())
        return;
    box.show({dateErrorText(errors.first()), appTitle(), MsgIcon::None, MsgButtons::Ok});
    if (errors.size() > 1)
        box.show({QStringLiteral("ほかに %1 件の日付エラーがあります（読み飛ばしました）").arg(errors.size() - 1),
                  appTitle(), MsgIcon::None, MsgButtons::Ok});
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
    if (text.isEmpty())
        return {}; // an empty text has no lines, as in the message file
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t.split(u'\n');
}

// A header value on one line: a received message's sender and send time come
// from a file anybody can drop, and a line break in them would plant lines (a
// separator, a header) of their own in the log.
QString oneLine(QString value)
{
    value.remove(u'\r');
    value.remove(u'\n');
    return value;
}
} // namespace

QStringList sentRecord(const QStringList& addressees, const QString& text, const QString& sender,
                       const QString& dateTime)
{
    QString to = toPrefix();
    for (const QString& a : addressees)
        to += oneLine(a) + u',';
    QStringList lines {to, QString()};
    lines += textLines(text);
    lines << QString() << fromPrefix() + oneLine(sender) + u' ' + oneLine(dateTime) << separator();
    return lines;
}

QStringList receivedRecord(const QString& sender, const QString& sendDateTime, const QString& text,
                           const QString& ownName)
{
    QStringList lines {fromPrefix() + oneLine(sender) + u'(' + oneLine(sendDateTime) + u')', QString()};
    lines += textLines(text);
    lines << QString() << toPrefix() + oneLine(ownName) << separator();
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
    const qint64 sizeBefore = Fs::length(path);
    // A log whose last line has no line break (an editor dropped it, or a
    // write was cut short) would swallow the first appended line: a separator
    // there would stop ending its record. End that line first.
    if (sizeBefore > 0) {
        QFile f(path);
        char last = '\n';
        if (f.open(QIODevice::ReadOnly) && f.seek(sizeBefore - 1) && f.getChar(&last) && last != '\n')
            bytes.prepend(last == '\r' ? "\n" : "\r\n");
    }
    if (const int err = Fs::appendBytes(path, bytes)) {
        // Half a record would end in the next one's separator: take it back.
        if (sizeBefore >= 0)
            Fs::truncate(path, sizeBefore);
        reportFileError(ctx.msgBox(), procedure, path,
                        err == ENOSPC || err == EIO || err == EDQUOT ? FileErrorKind::Write : FileErrorKind::Open,
                        err);
        return false;
    }
    SharedClaim::sweepLeftovers(path);
    return true;
}

} // namespace MessageLog
