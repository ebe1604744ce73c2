#pragma once

#include <QList>
#include <QString>

// The two lists of the user's own messages still under way: those waiting in
// "TIM" for their send time, and the sent ones in "RCV" whose receipt has not
// come back yet.
namespace PendingLists {

struct Entry
{
    QString fileName; // inside its folder
    QString addressee;
    QString number; // "TIM": the three digits; "RCV": the mail ID
    QString when; // "yyyy/mm/dd hh:mm:ss" ("TIM") or "yyyy/mm/dd hh:mm" ("RCV")
    QString line; // the visible list line: when + "|" + addressee
    QString hiddenLine() const { return line + u'|' + number; }
};

// Every waiting file of "TIM" in directory order (only names of the scheduled
// form: working files of a dispatch are left out).
QList<Entry> unsent(const QString& timFolder);

// Every "RCV" + addressee + "." + mail ID file in directory order, with the
// sent-at time read from the file (either form). A file whose header cannot be
// read still gets its line, with an empty time.
QList<Entry> unread(const QString& rcvFolder);

// The text lines of a message file, each followed by CR LF, for a second look
// (the seal is not applied). False when the file cannot be read.
bool textOf(const QString& path, QString* text);

// The window captions of that look.
QString unsentCaption(const Entry& e);
QString unreadCaption(const Entry& e);

} // namespace PendingLists
