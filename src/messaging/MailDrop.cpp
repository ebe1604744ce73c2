#include "messaging/MailDrop.h"

#include "messaging/MailNames.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"

#include <QFile>
#include <algorithm>
#include <bitset>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace MailDrop {

namespace {

const QString kClaimPrefix = QStringLiteral("~plc");

using NumberSet = std::bitset<MailNames::MaxDropNumber + 1>;

// Numbers of the files prefix + ".NNN" that the folder lists now. Only a
// shortcut: whether a number is free is decided when it is taken.
NumberSet usedNumbers(const QString& folder, const QString& prefix)
{
    NumberSet used;
    for (const QString& name : Fs::list(folder, prefix + QStringLiteral(".???"))) {
        const int n = MailNames::numberOf(name, prefix, 3);
        if (n >= 1 && n <= MailNames::MaxDropNumber)
            used.set(std::size_t(n));
    }
    return used;
}

// A claim is an empty folder, made and let go of as SharedClaim does with its
// claim folders: created exclusively at the file server, and removed only after
// it was moved aside, since other senders look at the claim's name meanwhile.
int createClaim(const QString& path)
{
    return SharedFile::createFolderExclusive(path);
}

void removeAside(const QString& aside)
{
    ::rmdir(QFile::encodeName(aside).constData());
}

void releaseClaim(const QString& path)
{
    QString aside;
    if (SharedFile::moveAside(path, &aside) == 0)
        removeAside(aside);
    else
        ::rmdir(QFile::encodeName(path).constData());
}

// Clears a claim left by a sender that died holding it. The claim is first
// renamed to a private name and only removed when it is still the old one; a
// claim that a live sender created meanwhile is put back. True when the claim
// name is free again.
bool clearStaleClaim(const QString& claim, qint64 shareNowNs)
{
    const Fs::FileStamp seen = Fs::stamp(claim);
    if (!seen.exists)
        return true;
    if (shareNowNs - seen.mtimeNs < qint64(StaleClaimSeconds) * 1000000000)
        return false;
    QString aside;
    if (SharedFile::moveAside(claim, &aside) != 0)
        return !Fs::exists(claim);
    const Fs::FileStamp moved = Fs::stamp(aside);
    if (moved.mtimeNs == seen.mtimeNs) {
        removeAside(aside);
        return true;
    }
    if (SharedFile::putBack(aside, claim) != 0)
        removeAside(aside);
    return false;
}

} // namespace

QString claimName(const QString& recipient, int number)
{
    return kClaimPrefix + QStringLiteral("%1").arg(number, 3, 10, QChar(u'0')) + u'_' + recipient;
}

bool isClaimName(const QString& name)
{
    return name.startsWith(kClaimPrefix) && !name.contains(u'.');
}

Listing::Listing(const QString& folder)
{
    for (const QString& name : Fs::list(folder, QStringLiteral("*.???"))) {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString prefix = name.left(dot);
        const int n = MailNames::numberOf(name, prefix, 3);
        if (n >= 1 && n <= MailNames::MaxDropNumber)
            m_used[prefix.toCaseFolded()].set(std::size_t(n));
    }
}

Listing::Numbers Listing::used(const QString& recipient) const
{
    return m_used.value(recipient.toCaseFolded());
}

void Listing::markUsed(const QString& recipient, int number)
{
    if (number >= 1 && number <= MailNames::MaxDropNumber)
        m_used[recipient.toCaseFolded()].set(std::size_t(number));
}

Result drop(const QString& mailPlace, const QString& recipient, const QByteArray& bytes,
    Listing* listing)
{
    if (!MailNames::isUsableName(recipient))
        return { Status::BadName, {}, 0 };
    struct stat st;
    if (::stat(QFile::encodeName(mailPlace).constData(), &st) != 0)
        return { Status::Failed, mailPlace, mailPlace.isEmpty() ? ENOENT : errno };
    if (!S_ISDIR(st.st_mode))
        return { Status::Failed, mailPlace, ENOTDIR };

    QString temp;
    if (const int err = SharedFile::writeTemporary(
            Paths::join(mailPlace, MailNames::dropFileName(recipient, 1)), bytes, &temp))
        return { Status::Failed, mailPlace, err };
    const Result r = place(mailPlace, recipient, temp, listing);
    if (!r.ok())
        Fs::remove(temp);
    return r;
}

Result place(const QString& mailPlace, const QString& recipient, const QString& temp,
    Listing* listing)
{
    if (!MailNames::isUsableName(recipient))
        return { Status::BadName, {}, 0 };
    // The temporary file's time stamp is the share's "now", whatever this
    // machine's clock says; claims are aged against it.
    const qint64 shareNow = Fs::stamp(temp).mtimeNs;
    SharedClaim::sweepLeftovers(temp);

    const NumberSet used = listing ? listing->used(recipient) : usedNumbers(mailPlace, recipient);
    for (int n = 1; n <= MailNames::MaxDropNumber; ++n) {
        if (used.test(std::size_t(n)))
            continue;
        if (listing)
            listing->markUsed(recipient, n); // taken now, or found taken below
        const QString claim = Paths::join(mailPlace, claimName(recipient, n));
        int err = createClaim(claim);
        if (err == EEXIST && clearStaleClaim(claim, shareNow))
            err = createClaim(claim);
        if (err == EEXIST)
            continue; // another sender is placing a file under this number
        if (err)
            return { Status::Failed, claim, err };
        const QString target = Paths::join(mailPlace, MailNames::dropFileName(recipient, n));
        err = Fs::exists(target) ? EEXIST : Fs::rename(temp, target);
        releaseClaim(claim);
        if (err == 0)
            return { Status::Delivered, target, 0 };
        if (err != EEXIST)
            return { Status::Failed, target, err };
    }
    return { Status::Full,
        Paths::join(mailPlace, MailNames::dropFileName(recipient, MailNames::MaxDropNumber)), 0 };
}

Result schedule(const QString& timFolder, const QString& sendTime, const QString& recipient,
    const QByteArray& bytes)
{
    if (!MailNames::isUsableName(recipient))
        return { Status::BadName, {}, 0 };
    if (sendTime.size() != 14 || !std::all_of(sendTime.begin(), sendTime.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        }))
        return { Status::Failed, timFolder, EINVAL };
    const QString prefix = sendTime + recipient;
    const NumberSet used = usedNumbers(timFolder, prefix);
    for (int n = 1; n <= MailNames::MaxDropNumber; ++n) {
        if (used.test(std::size_t(n)))
            continue;
        const QString target
            = Paths::join(timFolder, MailNames::scheduledFileName(sendTime, recipient, n));
        const int err = SharedFile::createNew(target, bytes);
        if (err == 0)
            return { Status::Delivered, target, 0 };
        if (err != EEXIST)
            return { Status::Failed, target, err };
    }
    return { Status::Full,
        Paths::join(
            timFolder, MailNames::scheduledFileName(sendTime, recipient, MailNames::MaxDropNumber)),
        0 };
}

} // namespace MailDrop
