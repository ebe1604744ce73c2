#pragma once

#include "common/TextScramble.h"

#include <QList>
#include <QString>
#include <QStringList>

class AppContext;

// What the composing window's send does once the addressees are settled and
// confirmed: "message.tmp", one copy per addressee into the mail place (or into
// "TIM" for a scheduled send), "RCV" copies for a receipt request, the sent
// record in the message log, and the mail ID moved on.
namespace ComposeSend {

inline QString procedure()
{
    return QStringLiteral("(frmMailSend_cmdSend_Click)");
}

struct Request {
    // Opens the file error reports; the reply window has its own.
    QString procedure = ComposeSend::procedure();
    // A reply: its log record names the one addressee without a trailing ",".
    bool reply = false;
    QStringList recipients; // names, in board and entry order; may be empty
    QString text;           // as typed; line breaks become message lines
    bool sealed = false;
    bool receipt = false;
    bool log = false;
    bool scheduled = false;
    QString sendTime; // 14 digits, for a scheduled send
};

struct Outcome {
    // "message.tmp" was written and the copies were attempted. False when the
    // send was refused or "message.tmp" failed: nothing left the window then.
    bool attempted = false;
    QList<bool> delivered; // per recipient, in order
    bool logged = false;
    bool mailIdAdvanced = false;
    int mailId = 0; // the mail ID the message carries (receipt requests)

    int deliveredCount() const { return int(delivered.count(true)); }
    // Every addressee has the message (also when there were none).
    bool complete() const { return attempted && !delivered.contains(false); }
};

// Sends as described above. Errors are reported to the user as they happen.
// The log record lists only the addressees that received the message. When
// every copy failed nothing is logged and the mail ID stays; once any copy has
// gone out the mail ID is used, so it advances even when the log cannot be
// written.
Outcome send(AppContext& ctx, const Request& request, const Scramble::KeySource& keys = {});

// The 14-digit send time from a date "yyyy/mm/dd" and a time "hh:mm:ss"
// (one-digit parts are padded); empty when they are not a date and a time
// (year 1 to 2999, month 1 to 12, day 1 to 31, hour 0 to 23, minute and
// second 0 to 59).
QString sendTimeDigits(const QString& date, const QString& time);

// One box of the send-time dialog.
enum class TimeField { Year, Month, Day, Hour, Minute, Second };
// The box's text as a number in its range (year 1 to 2999, month 1 to 12, day 1
// to 31, hour 0 to 23, minute and second 0 to 59); false when it is none.
bool timeFieldValue(TimeField field, const QString& text, int* value);
// A day that the calendar has (no 31 February, 29 February only in leap years).
bool isCalendarDate(int year, int month, int day);

// The reply window's start text: every piece of the shown text split at CR LF,
// except the last, behind ">" and followed by CR LF.
QString quoteForReply(const QString& shownText);

} // namespace ComposeSend
