#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class AppContext;

// The receiving side: taking the own drop files out of the mail place into the
// inbox (the program folder), the inbox numbering, and moving "TMP" files back.
// Everything happens by moves that never replace a file; a file that cannot be
// moved stays where it is.
class Mailbox
{
public:
    struct FetchResult
    {
        QStringList moved; // new inbox paths, in the order the files were taken
        QStringList left; // drop files that could not be moved; the next poll tries again
    };

    Mailbox(const QString& mailPlace, const QString& programFolder, const QString& ownName);
    // The mail place (setting 29) and own name (setting 26) of a copy.
    explicit Mailbox(const AppContext& ctx);

    // Moves every mail-place file named own name + ".*" into the inbox, in
    // listing order, each exactly once even when this copy is killed halfway:
    // a drop is first renamed within the mail place to a name claimed by this
    // recipient ("~plf" + 16 hex digits + "_" + its name), its copy is written
    // whole under a temporary name and then linked to its inbox name, and only
    // then is the claimed drop removed. A claimed drop found later (by this or
    // the next start) whose bytes are already in the inbox is removed, else it
    // is delivered. Does nothing when the own name cannot stand in a file name
    // (an empty name or one with "*" would take other people's files), when the
    // mail place is not set or cannot be listed, or when it is the program folder.
    FetchResult fetch() const;

    // Moves the file at path to the next free inbox name; gives the new path,
    // or an empty text with *error set (the file then stays where it was).
    QString moveToInbox(const QString& path, int* error = nullptr) const;

    // Moves every "TMP" + own name + ".*" file of "TMP" back into the inbox.
    QStringList restoreTmpFiles() const;

    // The first n for which neither own name + "." + n in the program folder nor
    // "TMP" + own name + "." + n in "TMP" exists.
    int nextInboxNumber() const;

    // Inbox file names (own name + "." + a number), in listing order.
    QStringList inboxFiles() const;

    QString tmpFolderPath() const;

    // A move that never replaces: a hard link where the file system has them,
    // else test-then-rename (the target folder is this copy's own), and across
    // file systems a whole copy that is undone when the source cannot be removed.
    static int moveNoReplace(const QString& from, const QString& to);

    // Whether fileName is a drop claimed by the recipient ownName.
    static bool isClaimedDropOf(const QString& fileName, const QString& ownName);

private:
    QSet<int> usedInboxNumbers() const;
    // Copies the claimed drop into the inbox and removes it; the inbox path or empty.
    QString deliverClaimed(const QString& claimed, QSet<int>& used, int* error) const;
    bool inboxHolds(const QByteArray& bytes) const;
    QString moveToInbox(const QString& path, QSet<int>& used, int* error) const;

    QString m_mailPlace;
    QString m_programFolder;
    QString m_ownName;
};

// The routines by their usual names, over the copy's own settings.
Mailbox::FetchResult MailPlace_Fetch(const AppContext& ctx);
QString Inbox_Move(const AppContext& ctx, const QString& path, int* error = nullptr);
QStringList TmpFile_Restore(const AppContext& ctx);
