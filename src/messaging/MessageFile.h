#pragma once

#include "common/TextScramble.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One message as its file holds it: six header fields, then the text lines.
// Fields keep their plain text exactly as read, so a file read and written again
// is unchanged; the typed accessors interpret them.
struct MessageFile
{
    enum class Receipt { None, Requested, IsReceipt };

    QString addressees; // each addressee followed by ",": "A,B,"
    QString sender;
    QString sentAt; // "yyyy/MM/dd HH:mm:ss"
    QString sealed = QStringLiteral("0");
    QString receipt = QStringLiteral("0");
    QString mailId = QStringLiteral("0");
    QStringList textLines;

    // "A,B," from {"A", "B"}.
    static QString addresseeLine(const QStringList& names);
    // The items before the last "," (the text after the final comma is not a name).
    QStringList addresseeNames() const;

    // The text split at CR LF; an empty text has no lines, a text ending in
    // CR LF ends with an empty line.
    static QStringList splitText(const QString& text);
    void setText(const QString& text) { textLines = splitText(text); }
    // The lines joined with CR LF (the inverse of setText).
    QString text() const;

    bool isSealed() const { return sealed == u"1"; }
    Receipt receiptKind() const;
    // The mail ID as a number; 0 when it is not one.
    int mailIdNumber() const;
};

struct MessageReadResult
{
    int error = 0; // errno when the file could not be opened or read
    bool legacy = false; // line 1 was a number: the older digit form
    bool headerMissing = false; // the file ends before the six header fields
    QList<int> unreadableLines; // file line numbers (1-based) that could not be decoded
    MessageFile message; // fields of unreadable or missing lines are empty

    bool opened() const { return error == 0; }
    // Every line was there and decoded: the message can be shown as it was sent.
    bool intact() const { return error == 0 && !headerMissing && unreadableLines.isEmpty(); }
};

namespace MessageFormat {

// The lines of the current form: every field and text line scrambled, each with
// a key of its own.
QStringList encodeLines(const MessageFile& message, const Scramble::KeySource& keys = {});
// The whole file: each line followed by CR LF (printable ASCII only).
QByteArray encode(const MessageFile& message, const Scramble::KeySource& keys = {});

// Line 1 of a legacy file is a plain decimal number; a current line never is.
bool isLegacyFirstLine(const QString& line);

// Decodes the lines of a file of either form; text lines go on to the end of
// the file. A line that does not decode is reported, never handed out.
MessageReadResult parse(const QStringList& lines);
MessageReadResult read(const QString& path);

} // namespace MessageFormat
