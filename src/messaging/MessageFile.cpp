#include "messaging/MessageFile.h"

#include "platform/TextFile.h"

#include <cerrno>

QString MessageFile::addresseeLine(const QStringList& names)
{
    QString line;
    for (const QString& name : names)
        line += name + u',';
    return line;
}

QStringList MessageFile::addresseeNames() const
{
    QStringList items = addressees.split(u',');
    items.removeLast(); // split always gives at least one item
    return items;
}

QStringList MessageFile::splitText(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral("\r\n"));
}

QString MessageFile::text() const
{
    return textLines.join(QStringLiteral("\r\n"));
}

MessageFile::Receipt MessageFile::receiptKind() const
{
    if (receipt == u"1")
        return Receipt::Requested;
    if (receipt == u"2")
        return Receipt::IsReceipt;
    return Receipt::None;
}

int MessageFile::mailIdNumber() const
{
    bool ok = false;
    const int id = mailId.trimmed().toInt(&ok);
    return ok ? id : 0;
}

namespace MessageFormat {

namespace {

constexpr int HeaderFields = 6;
// Legacy numbers far beyond any key cannot be meant as one.
constexpr qint64 LegacyNumberLimit = 1000000000;

// The header field at index (0 to 5), for a const or a changeable message.
template<typename Message> auto& headerField(Message& m, int index)
{
    switch (index) {
    case 0:
        return m.addressees;
    case 1:
        return m.sender;
    case 2:
        return m.sentAt;
    case 3:
        return m.sealed;
    case 4:
        return m.receipt;
    default:
        return m.mailId;
    }
}

} // namespace

QStringList encodeLines(const MessageFile& m, const Scramble::KeySource& keys)
{
    const Scramble::KeySource source = keys ? keys : Scramble::systemKeys();
    QStringList lines;
    lines.reserve(HeaderFields + m.textLines.size());
    for (int i = 0; i < HeaderFields; ++i)
        lines.append(Scramble::encode(headerField(m, i), source));
    for (const QString& line : m.textLines)
        lines.append(Scramble::encode(line, source));
    return lines;
}

QByteArray encode(const MessageFile& m, const Scramble::KeySource& keys)
{
    QByteArray out;
    for (const QString& line : encodeLines(m, keys)) {
        out += line.toLatin1(); // scrambled lines are plain ASCII
        out += "\r\n";
    }
    return out;
}

bool isLegacyFirstLine(const QString& line)
{
    bool ok = false;
    const QString t = line.trimmed();
    if (t.isEmpty())
        return false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == u'-' || c == u'+')))
            return false;
    }
    t.toLongLong(&ok);
    return ok;
}

MessageReadResult parse(const QStringList& lines)
{
    MessageReadResult r;
    MessageFile& m = r.message;
    m.sealed.clear();
    m.receipt.clear();
    m.mailId.clear();
    if (lines.isEmpty()) {
        r.headerMissing = true;
        return r;
    }

    qsizetype first = 0;
    qint64 key = 0;
    if (isLegacyFirstLine(lines[0])) {
        r.legacy = true;
        first = 1;
        const qint64 n = lines[0].trimmed().toLongLong();
        key = n + Scramble::LegacyKeyOffset;
        if (n > LegacyNumberLimit || n < -LegacyNumberLimit)
            key = -1; // no group can decode with it: every line is reported
    }
    auto decodeLine = [&](qsizetype i) -> QString {
        if (lines[i].isEmpty())
            return {}; // an empty line is an empty text
        const std::optional<QString> plain = r.legacy
            ? (key < 0 ? std::nullopt : Scramble::legacyDecode(lines[i], key))
            : Scramble::decode(lines[i]);
        if (!plain) {
            r.unreadableLines.append(int(i + 1));
            return {};
        }
        return *plain;
    };

    qsizetype i = first;
    for (int field = 0; field < HeaderFields; ++field, ++i) {
        if (i >= lines.size()) {
            r.headerMissing = true;
            return r;
        }
        headerField(m, field) = decodeLine(i);
    }
    for (; i < lines.size(); ++i)
        m.textLines.append(decodeLine(i));
    return r;
}

MessageReadResult read(const QString& path)
{
    const TextReadResult text = TextFile::readLines(path);
    if (!text.ok()) {
        MessageReadResult r;
        r.error = text.error;
        return r;
    }
    return parse(text.lines); // a last line without its line break is whole
}

} // namespace MessageFormat
