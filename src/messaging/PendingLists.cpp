#include "messaging/PendingLists.h"

#include "messaging/MailNames.h"
#include "messaging/MessageFile.h"
#include "messaging/ScheduledMail.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

namespace PendingLists {

namespace {
const QString kOpen = QStringLiteral("\uFF62");  // ｢
const QString kClose = QStringLiteral("\uFF63"); // ｣
} // namespace

QList<Entry> unsent(const QString& timFolder)
{
    QList<Entry> out;
    for (const QString& name : Fs::list(timFolder, QStringLiteral("*.*"))) {
        if (!ScheduledMail::isScheduledName(name))
            continue;
        Entry e;
        e.fileName = name;
        e.addressee = ScheduledMail::addresseeOf(name);
        e.number = name.right(3);
        e.when = name.mid(0, 4) + u'/' + name.mid(4, 2) + u'/' + name.mid(6, 2) + u' ' + name.mid(8, 2)
            + u':' + name.mid(10, 2) + u':' + name.mid(12, 2);
        e.line = e.when + u'|' + e.addressee;
        out.append(e);
    }
    return out;
}

QList<Entry> unread(const QString& rcvFolder)
{
    QList<Entry> out;
    for (const QString& name : Fs::list(rcvFolder, QStringLiteral("RCV*.*"))) {
        const qsizetype dot = name.lastIndexOf(u'.');
        Entry e;
        e.fileName = name;
        e.addressee = name.mid(3, dot - 3);
        e.number = name.mid(dot + 1);
        if (MailNames::numberOf(name, QStringLiteral("RCV") + e.addressee) < 1)
            continue; // not an entry this program writes
        const QString sentAt = MessageFormat::read(Paths::join(rcvFolder, name)).message.sentAt;
        e.when = sentAt.left(10) + u' ' + sentAt.mid(11, 5);
        e.line = e.when + u'|' + e.addressee;
        out.append(e);
    }
    return out;
}

bool textOf(const QString& path, QString* text)
{
    const MessageReadResult r = MessageFormat::read(path);
    text->clear();
    if (!r.opened())
        return false;
    for (const QString& line : r.message.textLines)
        *text += line + QStringLiteral("\r\n");
    return true;
}

QString unsentCaption(const Entry& e)
{
    return kOpen + e.addressee + kClose + u'(' + e.when + QStringLiteral(")に送信予定のメッセージ");
}

QString unreadCaption(const Entry& e)
{
    return kOpen + e.addressee + kClose + u'(' + e.when + QStringLiteral(")に送ったメッセージ");
}

} // namespace PendingLists
