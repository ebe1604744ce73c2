#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class AppContext;
class IMessageBox;

// The message log: one Shift-JIS text file of records, each a run of lines
// ended by a separator line; plain, or locked with every line scrambled behind
// two header lines (the marker and the password).
namespace MessageLog {

QString separator();        // 35 hyphens: end of a live record
QString trashSeparator();   // "<d>" + 35 hyphens: end of a record in the trash
QString lockMarker();       // "This is a lock file"
QString toPrefix();         // "宛先："
QString fromPrefix();       // "送信者："

// One record of the log, as the viewer works with it.
struct Record {
    qint64 number = 0;        // 1, 2, 3 ... in file order
    qint64 firstLine = 0;     // line numbers in the file, from 1
    qint64 separatorLine = 0;
    QString date;             // YYYYMMDD, or empty
    QString time;             // HHMMSS, or empty
    QString direction;        // "0" outgoing (To), "1" incoming (From), empty without headers
    QString sender;
    QString addressees;
    QString text;             // every other line, each followed by CR LF
    QString trash = QStringLiteral("0"); // "9" when ended by the trash separator

    bool inTrash() const { return trash == QLatin1String("9"); }
    bool outgoing() const { return direction == QLatin1String("0"); }
    // The addressees of an outgoing record, the sender of an incoming one.
    const QString& otherParty() const { return outgoing() ? addressees : sender; }
};

// The record table of a whole log. The records point into the one buffer the
// log was read into (its Shift-JIS bytes, or the decoded lines of a locked
// log); a text becomes a string only when asked for, so loading a large log
// costs little more than reading it.
class RecordTable
{
public:
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // k from 0; record number k + 1.
    Record at(qsizetype k) const;
    qint64 firstLine(qsizetype k) const { return m_entries[k].firstLine; }
    qint64 separatorLine(qsizetype k) const { return m_entries[k].separatorLine; }
    QString date(qsizetype k) const;
    QString time(qsizetype k) const;
    QChar direction(qsizetype k) const { return QChar(m_entries[k].direction); }
    QString sender(qsizetype k) const { return view(m_entries[k].sender); }
    QString addressees(qsizetype k) const { return view(m_entries[k].addressees); }
    QString otherParty(qsizetype k) const
    {
        return m_entries[k].direction == u'0' ? addressees(k) : sender(k);
    }
    QString text(qsizetype k) const;
    bool inTrash(qsizetype k) const { return m_entries[k].trash; }
    bool hasDate(qsizetype k) const { return m_entries[k].hasDate; }
    // The other party as stored (Shift-JIS bytes, or a locked log's UTF-16
    // units as bytes): equal names give equal views, without decoding.
    QByteArrayView otherPartyRaw(qsizetype k) const;
    // The date YYYYMMDD and the time HHMMSS as numbers that order as their
    // texts do, code unit by code unit (0 without a date, below every date).
    quint64 dateKey(qsizetype k) const;
    quint64 timeKey(qsizetype k) const;
    // Bytes the table holds: the buffer it points into and its entries.
    qsizetype memoryBytes() const;
    void setTrash(qsizetype k, bool trash) { m_entries[k].trash = trash; }

private:
    template<typename CharT>
    friend class Parser;
    friend struct ParseResult parse(const QByteArray& bytes);
    friend struct ParseResult parse(const QByteArray& bytes, const std::function<void(qint64, qint64)>& progress);
    struct Span {
        qint32 pos = 0;
        qint32 len = 0;
    };
    struct Entry {
        qint64 firstLine = 0;
        qint64 separatorLine = 0;
        Span sender;
        Span addressees;
        Span text;
        qint32 ownText = -1; // index into m_ownTexts when the text is not one CR LF run of the file
        char16_t date[8] {};
        char16_t time[6] {};
        bool hasDate = false;
        char16_t direction = 0;
        bool trash = false;
    };
    QString view(Span s) const;

    QByteArray m_bytes; // a plain log as read
    QString m_chars;    // a locked log's lines, decoded
    QList<Entry> m_entries;
    QStringList m_ownTexts;
};

struct DateError {
    qint64 line = 0;
    QString text;
};

struct ParseResult {
    bool locked = false;
    QString password;           // the locked log's password line, decoded
    RecordTable records;
    QList<DateError> dateErrors;
    qint64 lineCount = 0;
    bool unreadableLine = false; // a locked line that does not decode
};

// Splits a log into records. A locked log is told by its first line decoding to
// the marker; its records start at line 3.
ParseResult parse(const QByteArray& bytes);
// The same, telling progress (bytes done, bytes in all) now and then, every
// few thousand lines, so a caller can move a bar and service its windows.
using Progress = std::function<void(qint64 done, qint64 total)>;
ParseResult parse(const QByteArray& bytes, const Progress& progress);

// The password line of a locked log (decoded), or nothing for a plain one.
// Decided from the bytes themselves at every load.
std::optional<QString> lockPassword(const QByteArray& bytes);

// Reports date errors as loading does: the first one as its own box, the rest
// as one count (a damaged log would otherwise give a box per bad record).
void reportDateErrors(const QList<DateError>& errors, IMessageBox& box);

// Date and time of a "送信者：" line's value (after the prefix): the sender
// name and, when the date is in one of its two forms, date and time.
struct SenderLine {
    enum Status { Dated, NoDate, DateError };
    QString sender;
    QString date;
    QString time;
    Status status = NoDate; // NoDate: nothing marks where the name ends
};
SenderLine parseSenderValue(QStringView value);

// "hizuke error!(" + line + "レコード目 内容＝" + whole line + ")".
QString dateErrorText(const DateError& e);

// Reads the log file and reports each date error (the program's title, OK)
// as the viewer's loading does. error: 0 or the system error of the read.
ParseResult Msglog_Read(const QString& path, IMessageBox& box, int* error = nullptr);

// True when the file's first line decodes to the lock marker.
bool isLocked(const QString& path);

// The six lines of a sent record: addressees each followed by ",".
QStringList sentRecord(const QStringList& addressees, const QString& text, const QString& sender,
                       const QString& dateTime);
// The six lines of a received record.
QStringList receivedRecord(const QString& sender, const QString& sendDateTime, const QString& text,
                           const QString& ownName);

// Appends a record to the log of setting 32, scrambling each line when the log
// is locked. A missing log is not created: the user is told, as when the
// whereabouts log is missing. File errors are reported with procedure.
bool appendRecord(AppContext& ctx, const QStringList& lines, const QString& procedure);

} // namespace MessageLog
