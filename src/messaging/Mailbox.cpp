#include "messaging/Mailbox.h"

#include "messaging/MailNames.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/SharedFile.h"
#include "startup/AppContext.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

namespace {

bool sameFolder(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

Mailbox::Mailbox(const QString& mailPlace, const QString& programFolder, const QString& ownName)
    : m_mailPlace(mailPlace)
    , m_programFolder(programFolder)
    , m_ownName(ownName)
{
}

Mailbox::Mailbox(const AppContext& ctx)
    : Mailbox(ctx.settings().text(SettingNo::MailPlace), ctx.programFolder(),
        ctx.settings().text(SettingNo::UserName))
{
}

QString Mailbox::tmpFolderPath() const
{
    return Paths::join(m_programFolder, MailNames::tmpFolder());
}

int Mailbox::moveNoReplace(const QString& from, const QString& to)
{
    // Only plain files move; Fs::rename never replaces, and between the share
    // and the program folder it neither loses the file nor leaves it twice.
    if (!Fs::isFile(from))
        return ENOENT;
    return Fs::rename(from, to);
}

QSet<int> Mailbox::usedInboxNumbers() const
{
    QSet<int> used;
    for (const QString& name : Fs::list(m_programFolder, m_ownName + QStringLiteral(".*"))) {
        const int n = MailNames::numberOf(name, m_ownName);
        if (n > 0)
            used.insert(n);
    }
    const QString tmpPrefix = QStringLiteral("TMP") + m_ownName;
    for (const QString& name : Fs::list(tmpFolderPath(), tmpPrefix + QStringLiteral(".*"))) {
        const int n = MailNames::numberOf(name, tmpPrefix);
        if (n > 0)
            used.insert(n);
    }
    return used;
}

int Mailbox::nextInboxNumber() const
{
    const QSet<int> used = usedInboxNumbers();
    int n = 1;
    while (used.contains(n))
        ++n;
    return n;
}

QString Mailbox::moveToInbox(const QString& path, QSet<int>& used, int* error) const
{
    int err = EEXIST;
    // A name that turns out to be taken (a file the listing missed) is marked
    // and the next one tried; the bound only guards against a folder that
    // reports every name as taken.
    for (int attempt = 0; attempt < 1000 && err == EEXIST; ++attempt) {
        int n = 1;
        while (used.contains(n))
            ++n;
        const QString target = Paths::join(m_programFolder, MailNames::inboxFileName(m_ownName, n));
        if (Fs::exists(Paths::join(tmpFolderPath(), MailNames::tmpFileName(m_ownName, n)))) {
            used.insert(n);
            continue;
        }
        err = moveNoReplace(path, target);
        if (err == 0 || err == EEXIST)
            used.insert(n);
        if (err == 0) {
            if (error)
                *error = 0;
            return target;
        }
    }
    if (error)
        *error = err;
    return {};
}

QString Mailbox::moveToInbox(const QString& path, int* error) const
{
    QSet<int> used = usedInboxNumbers();
    return moveToInbox(path, used, error);
}

namespace {

const QString kClaimPrefix = QStringLiteral("~plf");
constexpr int kClaimHexDigits = 16;

bool isHexDigits(QStringView text)
{
    for (QChar c : text)
        if (!c.isDigit() && !(c >= u'a' && c <= u'f'))
            return false;
    return true;
}

} // namespace

bool Mailbox::isClaimedDropOf(const QString& fileName, const QString& ownName)
{
    const qsizetype rest = kClaimPrefix.size() + kClaimHexDigits + 1;
    return fileName.size() > rest && fileName.startsWith(kClaimPrefix)
        && isHexDigits(QStringView(fileName).mid(kClaimPrefix.size(), kClaimHexDigits))
        && fileName[rest - 1] == u'_' && fileName.mid(rest).startsWith(ownName + u'.');
}

bool Mailbox::inboxHolds(const QByteArray& bytes) const
{
    const auto holds = [&bytes](const QString& folder, const QStringList& names) {
        for (const QString& name : names) {
            int err = 0;
            const QString path = Paths::join(folder, name);
            if (Fs::length(path) == bytes.size() && Fs::readBytes(path, &err) == bytes && err == 0)
                return true;
        }
        return false;
    };
    const QString tmpPrefix = QStringLiteral("TMP") + m_ownName;
    return holds(m_programFolder, inboxFiles())
        || holds(tmpFolderPath(), Fs::list(tmpFolderPath(), tmpPrefix + QStringLiteral(".*")));
}

QString Mailbox::deliverClaimed(const QString& claimed, QSet<int>& used, int* error) const
{
    int err = 0;
    const QByteArray bytes = Fs::readBytes(claimed, &err);
    if (err) {
        *error = err;
        return {};
    }
    // The copy is complete under a temporary name before it takes an inbox
    // name, so a copy killed meanwhile never leaves half a message.
    QString tmp;
    if ((err = SharedFile::writeTemporary(Paths::join(m_programFolder, m_ownName), bytes, &tmp))) {
        *error = err;
        return {};
    }
    const QString to = moveToInbox(tmp, used, &err);
    if (to.isEmpty()) {
        Fs::remove(tmp);
        *error = err;
        return {};
    }
    // A claimed drop that cannot be removed now is found again and, its bytes
    // being in the inbox, removed then.
    Fs::remove(claimed);
    *error = 0;
    return to;
}

Mailbox::FetchResult Mailbox::fetch() const
{
    FetchResult result;
    if (!MailNames::isUsableName(m_ownName) || m_mailPlace.isEmpty()
        || sameFolder(m_mailPlace, m_programFolder))
        return result;
    // One listing of the mail place for both: with many people's drops in
    // it, each listing is most of a poll's cost.
    const QList<QStringList> listed = Fs::list(m_mailPlace, {m_ownName + QStringLiteral(".*"), kClaimPrefix + u'*'});
    const QStringList& names = listed[0];
    QStringList claimedLeft;
    for (const QString& name : listed[1])
        if (isClaimedDropOf(name, m_ownName))
            claimedLeft.append(name);
    if (names.isEmpty() && claimedLeft.isEmpty())
        return result;
    QSet<int> used = usedInboxNumbers();

    // Drops this recipient claimed before it was stopped: delivered already
    // (same bytes in the inbox) or not yet.
    for (const QString& name : claimedLeft) {
        const QString claimed = Paths::join(m_mailPlace, name);
        int err = 0;
        const QByteArray bytes = Fs::readBytes(claimed, &err);
        if (err)
            continue;
        if (inboxHolds(bytes)) {
            Fs::remove(claimed);
            continue;
        }
        const QString to = deliverClaimed(claimed, used, &err);
        if (!to.isEmpty())
            result.moved.append(to);
        else if (Fs::exists(claimed))
            result.left.append(claimed);
    }

    for (const QString& name : names) {
        const QString from = Paths::join(m_mailPlace, name);
        const QString claimed = Paths::join(m_mailPlace,
            kClaimPrefix
                + QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), kClaimHexDigits, 16, QChar(u'0'))
                + u'_' + name);
        // A rename within one folder of the share: one request, so the drop is
        // ours whole or still where it was.
        if (!Fs::isFile(from) || ::rename(QFile::encodeName(from).constData(), QFile::encodeName(claimed).constData()) != 0) {
            if (Fs::exists(from)) // busy: it stays for the next poll
                result.left.append(from);
            continue;
        }
        int err = 0;
        const QString to = deliverClaimed(claimed, used, &err);
        if (!to.isEmpty())
            result.moved.append(to);
        else if (Fs::exists(claimed))
            result.left.append(claimed);
    }
    return result;
}

QStringList Mailbox::restoreTmpFiles() const
{
    QStringList moved;
    if (!MailNames::isUsableName(m_ownName))
        return moved;
    const QString prefix = QStringLiteral("TMP") + m_ownName;
    const QStringList names = Fs::list(tmpFolderPath(), prefix + QStringLiteral(".*"));
    QSet<int> used = usedInboxNumbers();
    for (const QString& name : names) {
        const QString to = moveToInbox(Paths::join(tmpFolderPath(), name), used, nullptr);
        if (!to.isEmpty())
            moved.append(to);
    }
    return moved;
}

QStringList Mailbox::inboxFiles() const
{
    QStringList files;
    if (!MailNames::isUsableName(m_ownName))
        return files;
    for (const QString& name : Fs::list(m_programFolder, m_ownName + QStringLiteral(".*")))
        if (MailNames::numberOf(name, m_ownName) > 0)
            files.append(name);
    return files;
}

Mailbox::FetchResult MailPlace_Fetch(const AppContext& ctx)
{
    return Mailbox(ctx).fetch();
}

QString Inbox_Move(const AppContext& ctx, const QString& path, int* error)
{
    return Mailbox(ctx).moveToInbox(path, error);
}

QStringList TmpFile_Restore(const AppContext& ctx)
{
    return Mailbox(ctx).restoreTmpFiles();
}
