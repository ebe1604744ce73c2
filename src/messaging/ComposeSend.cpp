#include "messaging/ComposeSend.h"

#include "common/TypedNumber.h"
#include "messaging/MailId.h"
#include "messaging/MessageFile.h"
#include "messaging/MessageSender.h"
#include "msglog/MessageLog.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QDate>

namespace ComposeSend {

namespace {

// The text box gives "\n" between lines; message files and the log split at CR LF.
QString withCrLf(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return t;
}

bool numberIn(const QString& text, int low, int high, int* value)
{
    const std::optional<int> n = parseTypedNumber(text, 9999);
    if (n)
        *value = *n;
    return n && *n >= low && *n <= high;
}

} // namespace

bool timeFieldValue(TimeField field, const QString& text, int* value)
{
    static const int low[] = {1, 1, 1, 0, 0, 0};
    static const int high[] = {2999, 12, 31, 23, 59, 59};
    const int k = int(field);
    return numberIn(text.trimmed(), low[k], high[k], value);
}

bool isCalendarDate(int year, int month, int day)
{
    return QDate::isValid(year, month, day);
}

QString sendTimeDigits(const QString& date, const QString& time)
{
    const QStringList d = date.trimmed().split(u'/');
    const QStringList t = time.trimmed().split(u':');
    if (d.size() != 3 || t.size() != 3)
        return {};
    int y, mo, da, h, mi, s;
    if (!numberIn(d[0], 1, 2999, &y) || !numberIn(d[1], 1, 12, &mo) || !numberIn(d[2], 1, 31, &da)
        || !numberIn(t[0], 0, 23, &h) || !numberIn(t[1], 0, 59, &mi) || !numberIn(t[2], 0, 59, &s))
        return {};
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(y, 4, 10, QChar(u'0'))
        .arg(mo, 2, 10, QChar(u'0'))
        .arg(da, 2, 10, QChar(u'0'))
        .arg(h, 2, 10, QChar(u'0'))
        .arg(mi, 2, 10, QChar(u'0'))
        .arg(s, 2, 10, QChar(u'0'));
}

Outcome send(AppContext& ctx, const Request& request, const Scramble::KeySource& keys)
{
    Outcome outcome;
    const QString ownName = ctx.settings().text(SettingNo::UserName);
    const QString text = withCrLf(request.text);
    const QString now = DateTimeText(ctx.clock(), 1);
    // A receipt request never takes a number whose "RCV" entry still waits.
    const int mailId = request.receipt ? MailId::currentFree(ctx, request.recipients) : MailId::current(ctx);
    outcome.mailId = mailId;

    MessageFile message;
    message.addressees = MessageFile::addresseeLine(request.recipients);
    message.sender = ownName;
    message.sentAt = now;
    message.sealed = request.sealed ? QStringLiteral("1") : QStringLiteral("0");
    message.receipt = request.receipt ? QStringLiteral("1") : QStringLiteral("0");
    message.mailId = request.receipt ? QString::number(mailId) : QStringLiteral("0");
    message.setText(text);

    MessageSender::Options options;
    options.procedure = request.procedure;
    options.mode = request.scheduled ? MessageSender::Mode::Scheduled : MessageSender::Mode::Immediate;
    options.sendTime = request.sendTime;
    // A scheduled message gets its "RCV" copy when it is dispatched.
    options.keepReceiptCopy = request.receipt && !request.scheduled;

    MessageSender sender(ctx, keys);
    const MessageSender::Result result = sender.send(message, request.recipients, options);
    if (result.refused || result.writeError)
        return outcome;
    outcome.attempted = true;

    QStringList deliveredNames;
    for (const MessageSender::Outcome& o : result.outcomes) {
        outcome.delivered.append(o.drop.ok());
        if (o.drop.ok())
            deliveredNames.append(o.recipient);
    }
    // Nothing went out: the message is still only in the window.
    if (!request.recipients.isEmpty() && deliveredNames.isEmpty())
        return outcome;

    if (request.scheduled && !deliveredNames.isEmpty()
        && request.sendTime < ctx.earliestSendTime())
        ctx.earliestSendTime() = request.sendTime;

    if (request.log) {
        QStringList record = MessageLog::sentRecord(deliveredNames, text, ownName, now);
        if (request.reply && !record.isEmpty() && record[0].endsWith(u','))
            record[0].chop(1);
        outcome.logged = MessageLog::appendRecord(ctx, record, request.procedure);
    }

    if (request.receipt)
        outcome.mailIdAdvanced = MailId::advanceFrom(ctx, mailId);
    return outcome;
}

QString quoteForReply(const QString& shownText)
{
    QStringList pieces = shownText.split(QStringLiteral("\r\n"));
    pieces.removeLast(); // the rest after the last break is never quoted
    QString quoted;
    for (const QString& piece : pieces)
        quoted += u'>' + piece + QStringLiteral("\r\n");
    return quoted;
}

} // namespace ComposeSend
