#pragma once

// The messages the mail-place stress run sends: each names its sender and
// sequence number, varies in length (so a file read half-written shows), mixes
// Japanese, commas, quotes and blanks, and ends in a checksum of the lines
// before it. Shared by the driver and the test that checks what arrived.

#include "messaging/MessageFile.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

namespace StressMessage {

inline QString checksum(const QStringList& lines)
{
    return QString::fromLatin1(QCryptographicHash::hash(
        lines.join(QStringLiteral("\r\n")).toUtf8(), QCryptographicHash::Md5)
                                   .toHex());
}

inline quint32 seedOf(const QString& sender, int seq)
{
    quint32 h = 2166136261u; // FNV-1a over the name, then the number
    for (QChar c : sender)
        h = (h ^ c.unicode()) * 16777619u;
    return (h ^ quint32(seq)) * 16777619u;
}

// The text lines of message seq from sender.
inline QStringList makeText(const QString& sender, int seq)
{
    QRandomGenerator gen(seedOf(sender, seq));
    QStringList lines { QStringLiteral("stress %1 %2").arg(sender).arg(seq) };
    static const QString pieces[] = {
        QStringLiteral("宛先のテスト、"),
        QStringLiteral("\"引用\""),
        QStringLiteral(" 空白 "),
        QStringLiteral("a,b,c"),
        QStringLiteral("〜‖−"),
        QStringLiteral("ｶﾀｶﾅ"),
        QStringLiteral("表示"),
    };
    const int count = 1 + int(gen.bounded(12));
    for (int i = 0; i < count; ++i) {
        QString line;
        const int parts = int(gen.bounded(40));
        for (int j = 0; j < parts; ++j)
            line += pieces[gen.bounded(int(std::size(pieces)))];
        lines.append(line);
    }
    lines.append(QStringLiteral("sum=") + checksum(lines));
    return lines;
}

inline MessageFile make(
    const QString& sender, const QString& recipient, int seq, const QString& sentAt)
{
    MessageFile m;
    m.addressees = MessageFile::addresseeLine({ recipient });
    m.sender = sender;
    m.sentAt = sentAt;
    m.textLines = makeText(sender, seq);
    return m;
}

struct Checked
{
    bool whole = false; // every line decoded, the checksum matches, the header fits
    QString sender;
    int seq = 0;
};

// Checks a message file read back against what its sender sent.
inline Checked check(const MessageReadResult& r, const QString& recipient)
{
    Checked c;
    const MessageFile& m = r.message;
    if (!r.intact() || m.textLines.size() < 2)
        return c;
    static const QRegularExpression head(QStringLiteral("^stress (\\S+) (\\d+)$"));
    const QRegularExpressionMatch match = head.match(m.textLines.first());
    if (!match.hasMatch())
        return c;
    c.sender = match.captured(1);
    c.seq = match.captured(2).toInt();
    const QStringList body = m.textLines.mid(0, m.textLines.size() - 1);
    c.whole = m.sender == c.sender && m.addressees == MessageFile::addresseeLine({ recipient })
        && m.textLines.last() == QStringLiteral("sum=") + checksum(body)
        && m.textLines == makeText(c.sender, c.seq);
    return c;
}

} // namespace StressMessage
