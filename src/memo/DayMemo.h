#pragma once

#include "common/TextScramble.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class IClock;

// A calendar day without a year, held as its key "MM/DD". Every year has a
// 29 February here: the memo and the day texts are about the day, not a date.
namespace DayKey {

enum class Step { MonthBack, DayBack, DayForward, MonthForward };

int monthLength(int month); // 0 outside 1 to 12
QString make(int month, int day);
// False unless key is "MM/DD" with a month 1 to 12 and a day 1 to 31.
bool parse(const QString& key, int* month, int* day);
// One step; the day is kept as it is when stepping by month (01/31 plus a
// month is 02/31). A key that does not parse is returned unchanged.
QString step(const QString& key, Step how);
// Today's key by the clock.
QString today(const IClock& clock);
// " 1月 1日は何の日？", "12月31日は何の日？".
QString caption(const QString& key);
// The 366 keys of the year, 01/01 to 12/31.
QStringList allKeys();

} // namespace DayKey

// The block form of the memo file and the day-text files: a key line, the
// lines of that day, then a line "-". A key is only looked for at the start
// of the file and after a "-" line, so a key-shaped line inside a memo is text.
namespace DayBlocks {

struct Block {
    QString key;
    QStringList lines;
    bool terminated = true; // false for a last block cut off before its "-"
};

QList<Block> parse(const QStringList& records);
QStringList format(const QList<Block>& blocks);
const Block* find(const QList<Block>& blocks, const QString& key);

} // namespace DayBlocks

// The user's memo file "memo.dat": one block per day, in the order the days
// were last saved.
class MemoFile
{
public:
    explicit MemoFile(QString path) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }

    // The memo of a day as the memo box shows it (lines joined by "\n"); empty
    // when the file or the day is missing.
    QString memoFor(const QString& key) const;

    // Replaces the day's block by a new one at the end of the file, every
    // other block kept as it was and in its order. The file is replaced in one
    // step. 0, or the system error of reading (*failedReading set) or writing;
    // nothing is changed on an error.
    int save(const QString& key, const QString& text, bool* failedReading = nullptr) const;

    // A memo line that reads as the end of its block ("-", or "-" followed by
    // blanks) is stored with one blank more and loses that blank on reading, so
    // every text comes back as it was saved.
    static QStringList storedLines(const QString& text);
    static QString textOf(const QStringList& storedLines);

private:
    QString m_path;
};

// The day texts delivered with the program: "naniMM.dat" beside it, one file
// per month, each record scrambled.
namespace DayTexts {

QString fileName(const QString& key); // "nani12.dat"
// The day's text (lines joined by "\n"); empty when the file or day is missing.
QString textFor(const QString& programFolder, const QString& key);
// The blocks of one day-text file, unscrambled; records that do not decode
// are dropped.
QList<DayBlocks::Block> readFile(const QString& path);
// One file's content: every record scrambled and quoted, one per line.
QByteArray encode(const QList<DayBlocks::Block>& blocks, const Scramble::KeySource& keys);

// The editable source of the day texts (UTF-8): lines "MM/DD<tab>text", a day
// repeated for more lines, "#" comments and blank lines skipped. The blocks
// of each month 1 to 12 in day order; an empty list and *error (line number
// and reason) when a line is not of that form.
QList<QList<DayBlocks::Block>> fromSource(const QString& source, QString* error);

} // namespace DayTexts
