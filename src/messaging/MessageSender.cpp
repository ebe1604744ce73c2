#include "messaging/MessageSender.h"

#include "messaging/MailNames.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/SharedFile.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <cerrno>
#include <optional>

int MessageSender::Result::delivered() const
{
    int n = 0;
    for (const Outcome& o : outcomes)
        n += o.drop.ok() ? 1 : 0;
    return n;
}

MessageSender::MessageSender(AppContext& ctx, Scramble::KeySource keys)
    : m_ctx(ctx)
    , m_keys(keys ? std::move(keys) : Scramble::systemKeys())
{
}

QString MessageSender::messageTmpPath() const
{
    return m_ctx.programPath(MailNames::messageTmp());
}

QString MessageSender::badNameText(const QString& recipient, const QString& problem)
{
    return QStringLiteral("宛先「") + recipient + QStringLiteral("」は") + problem
        + QStringLiteral("ため、メッセージを送れません。") + QStringLiteral("\r\n")
        + QStringLiteral("掲示板の名前を確認してください。");
}

QString MessageSender::fullText(const QString& recipient)
{
    return QStringLiteral("メールの置き場所に「") + recipient
        + QStringLiteral("」宛てのメッセージが999通たまっているため、送れません。")
        + QStringLiteral("\r\n")
        + QStringLiteral("相手がメッセージを受け取るまで待ってから送り直してください。");
}

bool MessageSender::checkRecipients(const QStringList& recipients) const
{
    for (const QString& name : recipients) {
        const QString problem = MailNames::nameProblem(name);
        if (!problem.isEmpty()) {
            m_ctx.msgBox().stop(badNameText(name, problem), errorTitle());
            return false;
        }
    }
    return true;
}

int MessageSender::writeMessageTmp(const MessageFile& message, const QString& procedure)
{
    const QString path = messageTmpPath();
    // Written aside and renamed into place, so "message.tmp" is never half a message.
    const int err = SharedFile::replace(path, MessageFormat::encode(message, m_keys), false);
    if (err)
        reportFileError(m_ctx.msgBox(), procedure, path,
            err == ENOSPC || err == EIO || err == EDQUOT || err == EFBIG ? FileErrorKind::Write
                                                                         : FileErrorKind::Open,
            err);
    return err;
}

MailDrop::Result MessageSender::deliverOne(const QString& recipient, const QByteArray& bytes,
    const MessageFile& message, const Options& options, MailDrop::Listing* listing)
{
    MailDrop::Result r;
    if (options.mode == Mode::Scheduled) {
        r = MailDrop::schedule(
            m_ctx.programPath(MailNames::timFolder()), options.sendTime, recipient, bytes);
    } else {
        r = MailDrop::drop(m_ctx.settings().text(SettingNo::MailPlace), recipient, bytes, listing);
        if (r.ok() && options.keepReceiptCopy) {
            const QString rcv = Paths::join(m_ctx.programPath(MailNames::rcvFolder()),
                MailNames::rcvFileName(recipient, message.mailIdNumber()));
            if (const int err = SharedFile::replace(rcv, bytes, false))
                reportFileError(m_ctx.msgBox(), options.procedure, rcv, FileErrorKind::Write, err);
        }
    }
    switch (r.status) {
    case MailDrop::Status::Delivered:
        break;
    case MailDrop::Status::BadName:
        m_ctx.msgBox().stop(
            badNameText(recipient, MailNames::nameProblem(recipient)), errorTitle());
        break;
    case MailDrop::Status::Full:
        m_ctx.msgBox().stop(fullText(recipient), errorTitle());
        break;
    case MailDrop::Status::Failed:
        reportFileError(m_ctx.msgBox(), options.procedure, r.path, FileErrorKind::Write, r.error);
        break;
    }
    return r;
}

MessageSender::Result MessageSender::send(
    const MessageFile& message, const QStringList& recipients, const Options& options)
{
    Result result;
    if (!checkRecipients(recipients)) {
        result.refused = true;
        return result;
    }
    if ((result.writeError = writeMessageTmp(message, options.procedure)))
        return result;
    // Every copy is made from the finished file as it lies on disk.
    int err = 0;
    const QByteArray bytes = Fs::readBytes(messageTmpPath(), &err);
    if (err) {
        reportFileError(
            m_ctx.msgBox(), options.procedure, messageTmpPath(), FileErrorKind::Open, err);
        result.writeError = err;
        return result;
    }
    // One listing of the mail place serves every recipient; a send to many
    // people must not list the whole folder once per person.
    std::optional<MailDrop::Listing> listing;
    if (options.mode == Mode::Immediate && recipients.size() > 1)
        listing.emplace(m_ctx.settings().text(SettingNo::MailPlace));
    for (const QString& recipient : recipients)
        result.outcomes.append(
            { recipient, deliverOne(recipient, bytes, message, options, listing ? &*listing : nullptr) });
    return result;
}
