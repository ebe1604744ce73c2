#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <bitset>

// Putting a finished message file into the mail place under recipient + "." +
// NNN, the first free number from "001" to "999", so that many senders on many
// machines can do it at once:
//
//  1. The content goes to a temporary file in the mail place ("~plw….tmp", a
//     name no fetch pattern matches), written whole and flushed.
//  2. For each free number in ascending order, the sender creates a claim for
//     that number: an empty folder, which the file server creates for one
//     client only (an exclusive file create is not exclusive between machines
//     through every SMB client). A number whose claim another sender holds is
//     passed over.
//  3. Holding the claim, it checks that the drop name is still free and renames
//     the temporary file to it, then removes the claim.
//
// A recipient's fetch therefore only ever sees complete files, and two senders
// never write the same number: the rename cannot replace, and where the share
// makes a rename without replacing two steps (test, then rename), the claim
// keeps every other sender of this program away from that name meanwhile. The
// drop files keep the names and format older copies read; claims are folders
// and carry no ".", so no fetch pattern matches them (names with "." are refused).
namespace MailDrop {

enum class Status {
    Delivered,
    BadName, // the recipient's name cannot stand in a file name
    Full, // every number "001" to "999" is taken
    Failed, // a file operation failed; error and path tell which
};

struct Result
{
    Status status = Status::Failed;
    QString path; // the file written, or the one whose operation failed
    int error = 0; // errno when Failed
    bool ok() const { return status == Status::Delivered; }
};

// The numbers each recipient's drop files used in one listing of the mail
// place. A send to many people lists the folder once and keeps this up to date
// with its own drops, instead of listing it again for every recipient; whether
// a number is free is still decided when it is taken, under its claim.
class Listing
{
public:
    using Numbers = std::bitset<1000>;
    explicit Listing(const QString& folder);
    Numbers used(const QString& recipient) const;
    void markUsed(const QString& recipient, int number);

private:
    QHash<QString, Numbers> m_used; // by the name case-folded, as the share compares
};

// A claim older than this (by the share's clock) belongs to a sender that died
// while holding it; the next sender that meets it clears it.
inline constexpr int StaleClaimSeconds = 300;

// "~plc001_Taro" (a folder): no ".", so no fetch pattern (name + ".*") matches it.
QString claimName(const QString& recipient, int number);
bool isClaimName(const QString& name);

// Puts bytes into the mail place for recipient by the steps above.
// listing: an earlier listing of the mail place to start from (it learns the
// number taken); without one the folder is listed for this drop.
Result drop(const QString& mailPlace, const QString& recipient, const QByteArray& bytes,
    Listing* listing = nullptr);

// Steps 2 and 3 for a temporary file already written whole in the mail place
// (a name no fetch pattern matches). On success the file is gone from its
// temporary name; otherwise it stays there for the caller to retry or remove.
Result place(const QString& mailPlace, const QString& recipient, const QString& temp,
    Listing* listing = nullptr);

// A scheduled file in the own "TIM" folder: sendTime + recipient + "." + the first
// free NNN there (sendTime: 14 digits). Only this copy writes "TIM", so an
// exclusive create suffices.
Result schedule(const QString& timFolder, const QString& sendTime, const QString& recipient,
    const QByteArray& bytes);

} // namespace MailDrop
