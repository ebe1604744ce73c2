#pragma once

#include "messaging/MailDrop.h"
#include "messaging/MessageFile.h"
#include "common/TextScramble.h"

#include <QList>
#include <QString>
#include <QStringList>

class AppContext;

// The sending order every writer of messages follows (composing, replies,
// receipts, dispatch of scheduled messages): "message.tmp" is written whole in
// the program folder first, then one copy of it goes to each recipient, so a
// message reaches the mail place only as a copy of a finished file.
class MessageSender
{
public:
    enum class Mode {
        Immediate, // into the mail place
        Scheduled, // into "TIM" under the send time, dispatched later
    };

    struct Options
    {
        // The text that opens a file error report, such as "(frmMailSend_cmdSend_Click)".
        QString procedure;
        Mode mode = Mode::Immediate;
        QString sendTime; // 14 digits, for Mode::Scheduled
        // Keep "RCV\RCV" + recipient + "." + mail ID (immediate sends that ask for a receipt).
        bool keepReceiptCopy = false;
    };

    struct Outcome
    {
        QString recipient;
        MailDrop::Result drop;
    };

    struct Result
    {
        bool refused = false; // a recipient's name cannot be used: nothing was written
        int writeError = 0; // "message.tmp" could not be written: nothing was delivered
        QList<Outcome> outcomes; // one per recipient, in order
        int delivered() const;
        bool allDelivered() const
        {
            return !refused && writeError == 0 && delivered() == outcomes.size();
        }
    };

    // keys: where the scrambling keys come from (tests fix them).
    explicit MessageSender(AppContext& ctx, Scramble::KeySource keys = {});

    // Checks every recipient's name before anything is written; the first one
    // that cannot be used is reported ("送信エラー") and the send is refused.
    bool checkRecipients(const QStringList& recipients) const;

    // Writes "message.tmp", then delivers it to each recipient in order. Errors
    // are reported to the user as they happen; a recipient that cannot be
    // served does not stop the others.
    Result send(const MessageFile& message, const QStringList& recipients, const Options& options);

    // Writes "message.tmp" (replacing an old one); 0 or the system error, reported.
    int writeMessageTmp(const MessageFile& message, const QString& procedure);

    QString messageTmpPath() const;

    // The texts of the refusals.
    static QString badNameText(const QString& recipient, const QString& problem);
    static QString fullText(const QString& recipient);
    static QString errorTitle() { return QStringLiteral("送信エラー"); }

private:
    MailDrop::Result deliverOne(const QString& recipient, const QByteArray& bytes,
        const MessageFile& message, const Options& options, MailDrop::Listing* listing);

    AppContext& m_ctx;
    Scramble::KeySource m_keys;
};
