#include "memo/DayMemo.h"

#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/QuotedCsv.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "startup/SharedRoutines.h"

#include <QRegularExpression>

#include <algorithm>

#include <cerrno>

namespace DayKey {

int monthLength(int month)
{
    switch (month) {
    case 2:
        return 29;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return month >= 1 && month <= 12 ? 31 : 0;
    }
}

QString make(int month, int day)
{
    return QStringLiteral("%1/%2").arg(month, 2, 10, QLatin1Char('0')).arg(day, 2, 10, QLatin1Char('0'));
}

bool parse(const QString& key, int* month, int* day)
{
    static const QRegularExpression shape(QStringLiteral("^(\\d\\d)/(\\d\\d)$"));
    const QRegularExpressionMatch m = shape.match(key);
    if (!m.hasMatch())
        return false;
    const int mm = m.captured(1).toInt();
    const int dd = m.captured(2).toInt();
    if (mm < 1 || mm > 12 || dd < 1 || dd > 31)
        return false;
    *month = mm;
    *day = dd;
    return true;
}

QString step(const QString& key, Step how)
{
    int month = 0, day = 0;
    if (!parse(key, &month, &day))
        return key;
    switch (how) {
    case Step::MonthBack:
        month = month == 1 ? 12 : month - 1;
        break;
    case Step::MonthForward:
        month = month == 12 ? 1 : month + 1;
        break;
    case Step::DayForward:
        // A day past its month's end (02/31 after a month step) moves on too.
        if (++day > monthLength(month)) {
            day = 1;
            month = month == 12 ? 1 : month + 1;
        }
        break;
    case Step::DayBack:
        if (--day == 0) {
            month = month == 1 ? 12 : month - 1;
            day = monthLength(month);
        }
        break;
    }
    return make(month, day);
}

QString today(const IClock& clock)
{
    return DateTimeText(clock, 1).mid(5, 5);
}

QString caption(const QString& key)
{
    int month = 0, day = 0;
    if (!parse(key, &month, &day))
        return QString();
    auto part = [](int n) { return QStringLiteral("%1").arg(n, 2); };
    return part(month) + QStringLiteral("月") + part(day) + QStringLiteral("日は何の日？");
}

QStringList allKeys()
{
    QStringList keys;
    for (int month = 1; month <= 12; ++month)
        for (int day = 1; day <= monthLength(month); ++day)
            keys << make(month, day);
    return keys;
}

} // namespace DayKey

namespace DayBlocks {

namespace {
const QString kEnd = QStringLiteral("-");
}

QList<Block> parse(const QStringList& records)
{
    QList<Block> blocks;
    bool inBlock = false;
    for (const QString& r : records) {
        if (!inBlock) {
            blocks.append(Block {r, {}, false});
            inBlock = true;
        } else if (r == kEnd) {
            blocks.last().terminated = true;
            inBlock = false;
        } else {
            blocks.last().lines.append(r);
        }
    }
    return blocks;
}

QStringList format(const QList<Block>& blocks)
{
    QStringList out;
    for (const Block& b : blocks) {
        out << b.key << b.lines;
        out << kEnd; // a block cut off by a crash of an older writer is closed now
    }
    return out;
}

const Block* find(const QList<Block>& blocks, const QString& key)
{
    for (const Block& b : blocks)
        if (b.key == key)
            return &b;
    return nullptr;
}

} // namespace DayBlocks

namespace {

bool looksLikeEnd(const QString& line)
{
    static const QRegularExpression endShape(QStringLiteral("^- *$"));
    return endShape.match(line).hasMatch();
}

} // namespace

QStringList MemoFile::storedLines(const QString& text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(u'\r', u'\n');
    QStringList lines = plain.split(u'\n');
    for (QString& line : lines)
        if (looksLikeEnd(line))
            line += u' ';
    return lines;
}

QString MemoFile::textOf(const QStringList& storedLines)
{
    QStringList lines = storedLines;
    for (QString& line : lines)
        if (line.size() > 1 && looksLikeEnd(line))
            line.chop(1);
    return lines.join(u'\n');
}

QString MemoFile::memoFor(const QString& key) const
{
    const TextReadResult read = TextFile::readLines(m_path);
    if (!read.ok())
        return QString();
    const QList<DayBlocks::Block> blocks = DayBlocks::parse(read.lines);
    const DayBlocks::Block* b = DayBlocks::find(blocks, key);
    return b ? textOf(b->lines) : QString();
}

int MemoFile::save(const QString& key, const QString& text, bool* failedReading) const
{
    if (failedReading)
        *failedReading = false;
    QList<DayBlocks::Block> blocks;
    const TextReadResult read = TextFile::readLines(m_path);
    if (!read.ok() && read.error != ENOENT) {
        // Writing now would drop every other day's memo.
        if (failedReading)
            *failedReading = true;
        return read.error;
    }
    if (read.ok())
        blocks = DayBlocks::parse(read.lines);
    blocks.removeIf([&](const DayBlocks::Block& b) { return b.key == key; });
    blocks.append(DayBlocks::Block {key, storedLines(text), true});
    const int err = SharedFile::replace(m_path, TextFile::joinLines(DayBlocks::format(blocks)), false);
    if (err == 0)
        SharedClaim::sweepLeftovers(m_path);
    return err;
}

namespace DayTexts {

QString fileName(const QString& key)
{
    return QStringLiteral("nani") + key.left(2) + QStringLiteral(".dat");
}

QList<DayBlocks::Block> readFile(const QString& path)
{
    const TextReadResult read = TextFile::readLines(path);
    if (!read.ok())
        return {};
    QStringList records;
    for (const QString& line : read.lines) {
        for (const QString& field : QuotedCsv::parseLine(line).fields) {
            if (const std::optional<QString> plain = Scramble::decode(field))
                records << *plain;
        }
    }
    return DayBlocks::parse(records);
}

QString textFor(const QString& programFolder, const QString& key)
{
    int month = 0, day = 0;
    if (!DayKey::parse(key, &month, &day))
        return QString();
    const QList<DayBlocks::Block> blocks = readFile(Paths::join(programFolder, fileName(key)));
    const DayBlocks::Block* b = DayBlocks::find(blocks, key);
    return b ? b->lines.join(u'\n') : QString();
}

QByteArray encode(const QList<DayBlocks::Block>& blocks, const Scramble::KeySource& keys)
{
    QStringList lines;
    for (const QString& record : DayBlocks::format(blocks))
        lines << QuotedCsv::formatTextLine({Scramble::encode(record, keys)});
    return TextFile::joinLines(lines);
}

QList<QList<DayBlocks::Block>> fromSource(const QString& source, QString* error)
{
    QList<QList<DayBlocks::Block>> months(12);
    const QStringList lines = TextFile::splitLines(source);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        int month = 0, day = 0;
        const QString text = tab < 0 ? QString() : line.mid(tab + 1).trimmed();
        QString why;
        if (tab < 0 || !DayKey::parse(line.left(tab), &month, &day) || day > DayKey::monthLength(month))
            why = QStringLiteral("no day key and tab");
        else if (text.isEmpty())
            why = QStringLiteral("empty text");
        else if (text == QLatin1String("-"))
            why = QStringLiteral("a text line \"-\" would end the day");
        if (!why.isEmpty()) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(n + 1).arg(why);
            return {};
        }
        QList<DayBlocks::Block>& blocks = months[month - 1];
        const QString key = DayKey::make(month, day);
        auto it = std::find_if(blocks.begin(), blocks.end(), [&](const DayBlocks::Block& b) { return b.key == key; });
        if (it == blocks.end())
            it = blocks.insert(std::upper_bound(blocks.begin(), blocks.end(), key,
                                                [](const QString& k, const DayBlocks::Block& b) { return k < b.key; }),
                               DayBlocks::Block {key, {}, true});
        it->lines << text;
    }
    return months;
}

} // namespace DayTexts
