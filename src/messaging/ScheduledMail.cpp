#include "messaging/ScheduledMail.h"

#include "messaging/MailDrop.h"
#include "messaging/MailNames.h"
#include "messaging/MessageFile.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/SharedFile.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QDateTime>

#include <QMap>
#include <algorithm>
#include <cerrno>

namespace {

const QString kJournal = QStringLiteral("~plj");
const QString kStaged = QStringLiteral("~pls");
const QString kStagedDrop = QStringLiteral("~plq");

bool allDigits(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

ScheduledMail::ScheduledMail(QString timFolder, QString rcvFolder, QString mailPlace,
    QString ownName, Scramble::KeySource keys)
    : m_tim(std::move(timFolder))
    , m_rcv(std::move(rcvFolder))
    , m_mailPlace(std::move(mailPlace))
    , m_ownName(std::move(ownName))
    , m_keys(keys ? std::move(keys) : Scramble::systemKeys())
{
}

bool ScheduledMail::isScheduledName(const QString& fileName)
{
    // 14 digits, a name a file name can carry, ".", three digits: anything else
    // in "TIM" (a working file, a stray copy) is never taken for a message.
    if (fileName.size() < 19 || !allDigits(QStringView(fileName).left(14)))
        return false;
    const qsizetype dot = fileName.indexOf(u'.', 14);
    if (dot < 15 || fileName.size() - dot != 4)
        return false;
    const QStringView number = QStringView(fileName).mid(dot + 1);
    return allDigits(number) && number != u"000"
        && MailNames::isUsableName(fileName.mid(14, dot - 14));
}

QString ScheduledMail::addresseeOf(const QString& fileName)
{
    const qsizetype dot = fileName.indexOf(u'.', 14);
    return dot < 0 ? QString() : fileName.mid(14, dot - 14);
}

QString ScheduledMail::next() const
{
    QString earliest = nothingWaiting();
    for (QString name : Fs::list(m_tim, QStringLiteral("*"))) {
        if (name.startsWith(kJournal))
            name = name.mid(kJournal.size());
        if (isScheduledName(name) && name.left(14) < earliest)
            earliest = name.left(14);
    }
    return earliest;
}

QByteArray ScheduledMail::stamped(
    const QByteArray& bytes, const QString& sentAt, bool* receipt, int* mailId) const
{
    QList<QByteArray> raw = bytes.split('\n');
    const bool complete = bytes.endsWith('\n');
    if (complete)
        raw.removeLast();
    QStringList lines;
    for (QByteArray& l : raw) {
        if (l.endsWith('\r'))
            l.chop(1);
        lines.append(QString::fromLatin1(l));
    }
    MessageReadResult read = MessageFormat::parse(lines);
    *receipt = read.message.receiptKind() == MessageFile::Receipt::Requested;
    *mailId = read.message.mailIdNumber();
    if (read.legacy || lines.size() < 3) {
        // The older form cannot take one current line among its own: the whole
        // file moves to the current form.
        read.message.sentAt = sentAt;
        return MessageFormat::encode(read.message, m_keys);
    }
    lines[2] = Scramble::encode(sentAt, m_keys);
    QByteArray out;
    for (const QString& l : lines)
        out += l.toLatin1() + "\r\n";
    return out;
}

int ScheduledMail::dispatchOne(const QString& name, const QString& sentAt, RunResult& result)
{
    const QString journal = Paths::join(m_tim, kJournal + name);
    const QString marker = Paths::join(m_tim, kStaged + name);
    // The staging file waits in the mail place across starts, so its name is
    // not one that sweeps of left-over temporary files clear ("~plw…"); a
    // dispatch begun by an earlier build goes on with the name it used.
    const QString stagedName = m_ownName + u'_' + QString(name).replace(u'.', u'_') + QStringLiteral(".tmp");
    QString staging = Paths::join(m_mailPlace, kStagedDrop + stagedName);
    if (const QString earlier = Paths::join(m_mailPlace, QStringLiteral("~plw") + stagedName);
        !Fs::exists(staging) && Fs::exists(earlier))
        staging = earlier;
    const QString recipient = addresseeOf(name);
    auto fail = [&](const QString& path, int err) {
        result.path = path;
        result.error = err;
        return err;
    };

    const QString original = Paths::join(m_tim, name);
    if (!Fs::exists(journal)) {
        if (const int err = Fs::rename(original, journal))
            return fail(original, err);
    }
    if (!Fs::exists(marker)) {
        int err = 0;
        const QByteArray bytes = Fs::readBytes(journal, &err);
        if (err)
            return fail(journal, err);
        bool receipt = false;
        int mailId = 0;
        const QByteArray out = stamped(bytes, sentAt, &receipt, &mailId);
        if (receipt) {
            const QString rcv
                = Paths::join(m_rcv, MailNames::rcvFileName(recipient, mailId));
            if ((err = SharedFile::replace(rcv, out, false)))
                return fail(rcv, err);
        }
        if ((err = SharedFile::replace(staging, out, false)))
            return fail(staging, err);
        if ((err = SharedFile::createNew(marker, {})) && err != EEXIST)
            return fail(marker, err);
    }
    // With the marker there and the staging file gone, the drop already happened.
    if (Fs::exists(staging)) {
        const MailDrop::Result r = MailDrop::place(m_mailPlace, recipient, staging);
        if (!r.ok())
            return fail(r.path, r.error ? r.error : (r.status == MailDrop::Status::Full ? ENOSPC : EINVAL));
        ++result.delivered;
    }
    Fs::remove(journal);
    Fs::remove(marker);
    return 0;
}

ScheduledMail::RunResult ScheduledMail::dispatchDue(const QString& now14, const QString& sentAt)
{
    RunResult result;
    const QStringList names = Fs::list(m_tim, QStringLiteral("*"));
    QMap<QString, bool> waiting; // name order: send time, then addressee
    for (const QString& name : names) {
        if (name.startsWith(QStringLiteral("~plw"))) {
            // A temporary file of a run that died; only this program writes "TIM".
            Fs::remove(Paths::join(m_tim, name));
            continue;
        }
        if (name.startsWith(kStaged)) {
            const QString base = name.mid(kStaged.size());
            if (!names.contains(kJournal + base))
                Fs::remove(Paths::join(m_tim, name)); // its dispatch completed
            continue;
        }
        const QString base = name.startsWith(kJournal) ? name.mid(kJournal.size()) : name;
        if (isScheduledName(base) && base.left(14) <= now14)
            waiting.insert(base, true);
    }
    for (auto it = waiting.cbegin(); it != waiting.cend(); ++it)
        if (dispatchOne(it.key(), sentAt, result))
            break;
    return result;
}

ScheduledMail scheduledMailOf(const AppContext& ctx)
{
    return ScheduledMail(ctx.programPath(MailNames::timFolder()),
        ctx.programPath(MailNames::rcvFolder()), ctx.settings().text(SettingNo::MailPlace),
        ctx.settings().text(SettingNo::UserName));
}

QString TimerMail_Next(const AppContext& ctx)
{
    return scheduledMailOf(ctx).next();
}

bool TimerMail_Check(AppContext& ctx, DispatchFailure& failure)
{
    const QDateTime now = ctx.clock().now();
    const QString now14 = now.toString(QStringLiteral("yyyyMMddHHmmss"));
    if (ctx.earliestSendTime() > now14)
        return false;
    if (failure.retryAt.isValid() && now < failure.retryAt)
        return false;
    const ScheduledMail::RunResult r = scheduledMailOf(ctx).dispatchDue(
        now14, now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    if (!r.ok()) {
        // The earliest time stays due, so a later check retries the rest.
        failure.retryAt = now.addSecs(DispatchRetrySeconds);
        const QString key = r.path + u'|' + QString::number(r.error);
        if (failure.reported != key) {
            failure.reported = key;
            reportFileError(
                ctx.msgBox(), QStringLiteral("(TimerMail_Send)"), r.path, FileErrorKind::Open, r.error);
        }
        return true;
    }
    failure = {};
    ctx.earliestSendTime() = TimerMail_Next(ctx);
    return true;
}
