#include "messaging/ComposeSend.h"

#include "messaging/MailId.h"
#include "messaging/MessageFile.h"
#include "messaging/MessageSender.h"
#include "msglog/MessageLog.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

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
    if (text.isEmpty() || text.size() > 4)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    *value = text.toInt();
    return *value >= low && *value <= high;
}

} // namespace

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
    const int mailId = MailId::current(ctx);

    MessageFile message;
    message.addressees = MessageFile::addresseeLine(request.recipients);
    message.sender = ownName;
    message.sentAt = now;
    message.sealed = request.sealed ? QStringLiteral("1") : QStringLiteral("0");
    message.receipt = request.receipt ? QStringLiteral("1") : QStringLiteral("0");
    message.mailId = request.receipt ? QString::number(mailId) : QStringLiteral("0");
    message.setText(text);

    MessageSender::Options options;
    options.procedure = procedure();
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

    if (request.log)
        outcome.logged = MessageLog::appendRecord(
            ctx, MessageLog::sentRecord(deliveredNames, text, ownName, now), procedure());

    if (request.receipt)
        outcome.mailIdAdvanced = MailId::advance(ctx);
    return outcome;
}

} // namespace ComposeSend
