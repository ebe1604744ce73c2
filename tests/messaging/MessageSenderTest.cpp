#include "MessageSenderTest.h"

#include "messaging/MailId.h"
#include "messaging/MailNames.h"
#include "messaging/Mailbox.h"
#include "messaging/MessageSender.h"
#include "messaging/ScheduledMail.h"
#include "platform/SharedFile.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "startup/SharedRoutines.h"
#include "support/TestContext.h"

#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <memory>

namespace {

const QString kProcedure = QStringLiteral("(frmMailSend_cmdSend_Click)");

// A user with its message folders, settings and a shared mail place.
struct User
{
    std::unique_ptr<TestUser> user;
    explicit User(const QString& name, const QString& mailPlace)
        : user(std::make_unique<TestUser>())
    {
        user->loadSettings();
        for (const QString& sub :
            { MailNames::tmpFolder(), MailNames::timFolder(), MailNames::rcvFolder() })
            Fs::makeDir(user->ctx().programPath(sub));
        user->ctx().settings().setText(SettingNo::UserName, name);
        user->ctx().settings().setText(SettingNo::MailPlace, mailPlace);
    }
    AppContext& ctx() { return user->ctx(); }
    QString path(const QString& name) { return ctx().programPath(name); }
};

MessageFile message(
    const QString& addressees, const QString& sender, bool receipt, int mailId, const QString& text)
{
    MessageFile m;
    m.addressees = addressees;
    m.sender = sender;
    m.sentAt = QStringLiteral("2006/06/14 09:05:00");
    m.receipt = receipt ? QStringLiteral("1") : QStringLiteral("0");
    m.mailId = receipt ? QString::number(mailId) : QStringLiteral("0");
    m.setText(text);
    return m;
}

QStringList plainLines(const QString& path)
{
    QString s = QString::fromLatin1(Fs::readBytes(path));
    s.chop(2);
    QStringList out;
    for (const QString& line : s.split(QStringLiteral("\r\n")))
        out.append(Text_Scramble(line, 2));
    return out;
}

QStringList files(const QString& folder)
{
    return Fs::list(folder, QStringLiteral("*"));
}

} // namespace

void MessageSenderTest::messageTmpThenOneCopyPerRecipient()
{
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    MessageSender sender(taro.ctx(), Scramble::seededKeys(3));
    const MessageFile m = message(
        QStringLiteral("A,B,"), QStringLiteral("Taro"), true, 7, QStringLiteral("本文\r\n二行目"));
    const MessageSender::Result r = sender.send(m, { QStringLiteral("A"), QStringLiteral("B") },
        { kProcedure, MessageSender::Mode::Immediate, {}, true });
    QVERIFY(r.allDelivered());
    QVERIFY(taro.user->box().shown().isEmpty());

    const QByteArray tmp = Fs::readBytes(taro.path(MailNames::messageTmp()));
    QCOMPARE(plainLines(taro.path(MailNames::messageTmp())),
        (QStringList { "A,B,", "Taro", "2006/06/14 09:05:00", "0", "1", "7", "本文", "二行目" }));
    // Each copy is the finished file, byte for byte; "message.tmp" stays.
    QCOMPARE(files(mail.path()), (QStringList { "A.001", "B.001" }));
    QCOMPARE(Fs::readBytes(Paths::join(mail.path(), QStringLiteral("A.001"))), tmp);
    QCOMPARE(Fs::readBytes(Paths::join(mail.path(), QStringLiteral("B.001"))), tmp);
    const QString rcv = taro.path(MailNames::rcvFolder());
    QCOMPARE(files(rcv), (QStringList { "RCVA.7", "RCVB.7" }));
    QCOMPARE(Fs::readBytes(Paths::join(rcv, QStringLiteral("RCVB.7"))), tmp);
    QCOMPARE(r.outcomes.size(), 2);
    QCOMPARE(r.outcomes[1].drop.path, Paths::join(mail.path(), QStringLiteral("B.001")));
}

void MessageSenderTest::oldMessageTmpIsReplaced()
{
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    QCOMPARE(Fs::writeBytes(taro.path(MailNames::messageTmp()), QByteArray(5000, 'z')), 0);
    MessageSender sender(taro.ctx());
    QVERIFY(sender
                .send(message(QStringLiteral("A,"), QStringLiteral("Taro"), false, 0,
                          QStringLiteral("短い")),
                    { QStringLiteral("A") }, { kProcedure })
                .allDelivered());
    QCOMPARE(plainLines(taro.path(MailNames::messageTmp())),
        (QStringList { "A,", "Taro", "2006/06/14 09:05:00", "0", "0", "0", "短い" }));
    QCOMPARE(Fs::readBytes(Paths::join(mail.path(), QStringLiteral("A.001"))),
        Fs::readBytes(taro.path(MailNames::messageTmp())));
    // Nothing but the message itself is left in the mail place or the program folder.
    QCOMPARE(files(mail.path()), QStringList { "A.001" });
    QCOMPARE(files(taro.ctx().programFolder()), (QStringList { "message.tmp", "Porlune.INI" }));
}

void MessageSenderTest::mailId_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("after");
    QTest::newRow("7 to 8") << 7 << 7 << 8;
    QTest::newRow("1 to 2") << 1 << 1 << 2;
    QTest::newRow("998 to 999") << 998 << 998 << 999;
    QTest::newRow("999 wraps to 1") << 999 << 999 << 1;
    QTest::newRow("damaged 0") << 0 << 1 << 2;
    QTest::newRow("damaged 1000") << 1000 << 1 << 2;
    QTest::newRow("damaged negative") << -5 << 1 << 2;
}

void MessageSenderTest::mailId()
{
    QFETCH(int, stored);
    QFETCH(int, used);
    QFETCH(int, after);
    TestUser user;
    user.loadSettings();
    QVERIFY(user.ctx().iniFile().store(SettingNo::MailId, QString::number(stored)));
    QCOMPARE(MailId::current(user.ctx()), used);
    QVERIFY(MailId::advance(user.ctx()));
    QCOMPARE(user.ctx().settings().intValue(SettingNo::MailId), after);
    // Written to the settings file at once: a fresh start reads it back.
    TestUser again(user.folder());
    again.loadSettings();
    QCOMPARE(again.ctx().settings().intValue(SettingNo::MailId), after);
}

void MessageSenderTest::badRecipientRefusesWholeSend_data()
{
    QTest::addColumn<QString>("bad");
    QTest::newRow("path separator") << "..\\Taro";
    QTest::newRow("dot") << "Taro.002";
    QTest::newRow("comma") << "A,B";
    QTest::newRow("device name") << "NUL";
    QTest::newRow("empty") << "";
}

void MessageSenderTest::badRecipientRefusesWholeSend()
{
    QFETCH(QString, bad);
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    MessageSender sender(taro.ctx());
    const MessageSender::Result r = sender.send(
        message(QStringLiteral("Hanako,"), QStringLiteral("Taro"), true, 3, QStringLiteral("x")),
        { QStringLiteral("Hanako"), bad },
        { kProcedure, MessageSender::Mode::Immediate, {}, true });
    QVERIFY(r.refused);
    QVERIFY(!r.allDelivered());
    QCOMPARE(taro.user->box().shown().size(), 1);
    const MsgBoxRequest box = taro.user->box().shown().first();
    QCOMPARE(box.title, QStringLiteral("送信エラー"));
    QCOMPARE(box.icon, MsgIcon::Stop);
    QVERIFY(box.systemModal);
    QVERIFY(box.text.startsWith(QStringLiteral("宛先「") + bad + QStringLiteral("」は")));
    QCOMPARE(files(mail.path()), QStringList());
    QVERIFY(!Fs::exists(taro.path(MailNames::messageTmp())));
    QCOMPARE(files(taro.path(MailNames::rcvFolder())), QStringList());
}

void MessageSenderTest::fullRecipientIsReportedOthersServed()
{
    QTemporaryDir mail;
    for (int n = 1; n <= 999; ++n)
        QCOMPARE(Fs::writeBytes(
                     Paths::join(mail.path(), MailNames::dropFileName(QStringLiteral("Hanako"), n)),
                     "old"),
            0);
    User taro(QStringLiteral("Taro"), mail.path());
    MessageSender sender(taro.ctx());
    const MessageSender::Result r
        = sender.send(message(QStringLiteral("Hanako,Jiro,"), QStringLiteral("Taro"), false, 0,
                          QStringLiteral("x")),
            { QStringLiteral("Hanako"), QStringLiteral("Jiro") }, { kProcedure });
    QCOMPARE(r.outcomes.size(), 2);
    QCOMPARE(r.outcomes[0].drop.status, MailDrop::Status::Full);
    QVERIFY(r.outcomes[1].drop.ok());
    QCOMPARE(r.delivered(), 1);
    QCOMPARE(taro.user->box().texts(),
        QStringList { MessageSender::fullText(QStringLiteral("Hanako")) });
    QCOMPARE(taro.user->box().shown().first().title, QStringLiteral("送信エラー"));
    QCOMPARE(
        Fs::readBytes(Paths::join(mail.path(), QStringLiteral("Hanako.999"))), QByteArray("old"));
    QVERIFY(Fs::exists(Paths::join(mail.path(), QStringLiteral("Jiro.001"))));
}

void MessageSenderTest::missingMailPlaceIsReported()
{
    QTemporaryDir root;
    const QString missing = Paths::join(root.path(), QStringLiteral("share"));
    User taro(QStringLiteral("Taro"), missing);
    MessageSender sender(taro.ctx());
    const MessageSender::Result r = sender.send(
        message(QStringLiteral("Hanako,"), QStringLiteral("Taro"), true, 4, QStringLiteral("x")),
        { QStringLiteral("Hanako") }, { kProcedure, MessageSender::Mode::Immediate, {}, true });
    QCOMPARE(r.delivered(), 0);
    QCOMPARE(r.outcomes.first().drop.status, MailDrop::Status::Failed);
    QCOMPARE(taro.user->box().texts(),
        QStringList { kProcedure + missing + QStringLiteral(" write error! err code = ")
            + QString::number(ENOENT) });
    // No receipt copy for a message that did not go out.
    QCOMPARE(files(taro.path(MailNames::rcvFolder())), QStringList());
}

void MessageSenderTest::unwritableMessageTmpDeliversNothing()
{
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    // A folder where "message.tmp" should be: the file cannot take its name.
    QCOMPARE(Fs::makeDir(taro.path(MailNames::messageTmp())), 0);
    MessageSender sender(taro.ctx());
    const MessageSender::Result r = sender.send(
        message(QStringLiteral("Hanako,"), QStringLiteral("Taro"), false, 0, QStringLiteral("x")),
        { QStringLiteral("Hanako") }, { kProcedure });
    QVERIFY(r.writeError != 0);
    QVERIFY(r.outcomes.isEmpty());
    QCOMPARE(taro.user->box().texts(),
        QStringList { fileErrorText(
            kProcedure, taro.path(MailNames::messageTmp()), FileErrorKind::Open, r.writeError) });
    QCOMPARE(files(mail.path()), QStringList());
    QCOMPARE(files(taro.ctx().programFolder()), QStringList { "Porlune.INI" });
}

void MessageSenderTest::scheduledSendGoesToTim()
{
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    MessageSender sender(taro.ctx());
    MessageSender::Options o { kProcedure, MessageSender::Mode::Scheduled,
        QStringLiteral("20060614093000"), false };
    const MessageSender::Result r = sender.send(
        message(QStringLiteral("A,A,"), QStringLiteral("Taro"), true, 9, QStringLiteral("後で")),
        { QStringLiteral("A"), QStringLiteral("A") }, o);
    QVERIFY(r.allDelivered());
    QCOMPARE(files(taro.path(MailNames::timFolder())),
        (QStringList { "20060614093000A.001", "20060614093000A.002" }));
    QCOMPARE(files(mail.path()), QStringList());
    QCOMPARE(files(taro.path(MailNames::rcvFolder())), QStringList());
}

void MessageSenderTest::twoUsersMessageAndReceipt()
{
    QTemporaryDir mail;
    User hanako(QStringLiteral("花子"), mail.path());
    User taro(QStringLiteral("Taro"), mail.path());
    const QString text = QStringLiteral("会議は15時から、\"第2会議室\"です。\r\n\r\nよろしく");
    const int id = MailId::current(hanako.ctx());
    QVERIFY(MessageSender(hanako.ctx())
                .send(message(QStringLiteral("Taro,"), QStringLiteral("花子"), true, id, text),
                    { QStringLiteral("Taro") },
                    { kProcedure, MessageSender::Mode::Immediate, {}, true })
                .allDelivered());
    QVERIFY(MailId::advance(hanako.ctx()));

    const Mailbox::FetchResult got = MailPlace_Fetch(taro.ctx());
    QCOMPARE(got.moved, QStringList { taro.path(QStringLiteral("Taro.1")) });
    const MessageReadResult in = MessageFormat::read(got.moved.first());
    QVERIFY(in.intact());
    QCOMPARE(in.message.sender, QStringLiteral("花子"));
    QCOMPARE(in.message.addresseeNames(), QStringList { "Taro" });
    QCOMPARE(in.message.text(), text);
    QCOMPARE(in.message.receiptKind(), MessageFile::Receipt::Requested);

    // Taro's receipt goes back the same way and names the message it confirms.
    MessageFile receipt = message(QStringLiteral("花子,"), QStringLiteral("Taro"), false, 0,
        QStringLiteral("<<これは受信確認のメッセージです>>\r\n\r\n>会議は15時から"));
    receipt.receipt = QStringLiteral("2");
    receipt.mailId = in.message.mailId;
    QVERIFY(MessageSender(taro.ctx())
                .send(receipt, { QStringLiteral("花子") },
                    { QStringLiteral("(frmMessage_cmdClose_Click") })
                .allDelivered());
    const Mailbox::FetchResult back = MailPlace_Fetch(hanako.ctx());
    QCOMPARE(back.moved.size(), 1);
    const MessageReadResult confirmed = MessageFormat::read(back.moved.first());
    QVERIFY(confirmed.intact());
    QCOMPARE(confirmed.message.receiptKind(), MessageFile::Receipt::IsReceipt);
    QCOMPARE(confirmed.message.mailIdNumber(), id);
    QVERIFY(Fs::exists(Paths::join(
        hanako.path(MailNames::rcvFolder()), MailNames::rcvFileName(QStringLiteral("Taro"), id))));
    QCOMPARE(files(mail.path()), QStringList());
}

namespace {

const QString kDue = QStringLiteral("20060614093000");
const QString kDispatchedAt = QStringLiteral("2006/06/14 09:31:02");

void scheduleFor(User& sender, const QString& sendTime, const QStringList& to, bool receipt, int id)
{
    MessageSender::Options o { kProcedure, MessageSender::Mode::Scheduled, sendTime, false };
    QVERIFY(MessageSender(sender.ctx())
                .send(message(MessageFile::addresseeLine(to), QStringLiteral("Taro"), receipt, id,
                          QStringLiteral("予定の件")),
                    to, o)
                .allDelivered());
}

} // namespace

void MessageSenderTest::scheduledDispatchSendsDueInNameOrder()
{
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    ScheduledMail store = scheduledMailOf(taro.ctx());
    QCOMPARE(store.next(), ScheduledMail::nothingWaiting());
    scheduleFor(taro, QStringLiteral("20060614100000"), { QStringLiteral("Later") }, false, 0);
    scheduleFor(taro, kDue, { QStringLiteral("Taro"), QStringLiteral("Hanako") }, true, 7);
    QCOMPARE(store.next(), kDue);

    const ScheduledMail::RunResult r = store.dispatchDue(QStringLiteral("20060614093102"), kDispatchedAt);
    QVERIFY(r.ok());
    QCOMPARE(r.delivered, 2);
    QCOMPARE(files(mail.path()), (QStringList { "Hanako.001", "Taro.001" }));
    QCOMPARE(files(taro.path(MailNames::timFolder())), QStringList { "20060614100000Later.001" });
    QCOMPARE(store.next(), QStringLiteral("20060614100000"));
    // The recipient sees the dispatch time; the receipt copy is made now, with the stored ID.
    const QStringList got = plainLines(Paths::join(mail.path(), QStringLiteral("Hanako.001")));
    QCOMPARE(got.value(2), kDispatchedAt);
    QCOMPARE(got.value(5), QStringLiteral("7"));
    QCOMPARE(got.value(6), QStringLiteral("予定の件"));
    QCOMPARE(files(taro.path(MailNames::rcvFolder())), (QStringList { "RCVHanako.7", "RCVTaro.7" }));
    QCOMPARE(plainLines(Paths::join(taro.path(MailNames::rcvFolder()), QStringLiteral("RCVTaro.7"))).value(2),
        kDispatchedAt);

    // Nothing more is due: a second run sends nothing.
    QCOMPARE(store.dispatchDue(QStringLiteral("20060614093102"), kDispatchedAt).delivered, 0);
    QCOMPARE(files(mail.path()).size(), 2);
}

// Where a killed run left the message; every case ends with exactly one drop.
void MessageSenderTest::interruptedDispatchDeliversOnce_data()
{
    QTest::addColumn<bool>("journal");
    QTest::addColumn<bool>("staged");
    QTest::addColumn<bool>("marker");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("stagingPrefix");
    const QString now = QStringLiteral("~plq"), earlier = QStringLiteral("~plw");
    QTest::newRow("renamed to journal") << true << false << false << false << now;
    QTest::newRow("staging written, no marker") << true << true << false << false << now;
    QTest::newRow("staging complete") << true << true << true << false << now;
    QTest::newRow("dropped, journal not cleared") << true << false << true << true << now;
    // Left by a build that staged under the temporary files' prefix.
    QTest::newRow("earlier staging written, no marker") << true << true << false << false << earlier;
    QTest::newRow("earlier staging complete") << true << true << true << false << earlier;
}

void MessageSenderTest::interruptedDispatchDeliversOnce()
{
    QFETCH(bool, journal);
    QFETCH(bool, staged);
    QFETCH(bool, marker);
    QFETCH(bool, dropped);
    QFETCH(QString, stagingPrefix);
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    scheduleFor(taro, kDue, { QStringLiteral("Hanako") }, false, 0);
    const QString tim = taro.path(MailNames::timFolder());
    const QString name = kDue + QStringLiteral("Hanako.001");
    ScheduledMail store = scheduledMailOf(taro.ctx());
    const QByteArray bytes = Fs::readBytes(Paths::join(tim, name));
    if (journal)
        QCOMPARE(Fs::rename(Paths::join(tim, name), Paths::join(tim, "~plj" + name)), 0);
    const QString staging
        = Paths::join(mail.path(), stagingPrefix + "Taro_" + QString(name).replace(u'.', u'_') + ".tmp");
    if (staged)
        QCOMPARE(SharedFile::createNew(staging, marker ? bytes : bytes.left(bytes.size() / 2)), 0);
    if (marker)
        QCOMPARE(SharedFile::createNew(Paths::join(tim, "~pls" + name), {}), 0);
    if (dropped)
        QCOMPARE(SharedFile::createNew(Paths::join(mail.path(), "Hanako.001"), bytes), 0);
    QCOMPARE(store.next(), kDue);

    const ScheduledMail::RunResult r = store.dispatchDue(kDue, kDispatchedAt);
    QVERIFY(r.ok());
    QCOMPARE(files(mail.path()), QStringList { "Hanako.001" });
    QCOMPARE(files(tim), QStringList());
    QCOMPARE(store.next(), ScheduledMail::nothingWaiting());
    if (!dropped && !marker) // rewritten whole from the journal, not from a half staging file
        QCOMPARE(plainLines(Paths::join(mail.path(), "Hanako.001")).value(6), QStringLiteral("予定の件"));
}

void MessageSenderTest::dueCheckRunsWhenEarliestTimeComes()
{
    QTemporaryDir mail;
    User taro(QStringLiteral("Taro"), mail.path());
    TestUser* raw = taro.user.get();
    DispatchFailure failure;
    scheduleFor(taro, kDue, { QStringLiteral("Hanako") }, false, 0);
    taro.ctx().earliestSendTime() = TimerMail_Next(taro.ctx());
    raw->clock().set(QDateTime(QDate(2006, 6, 14), QTime(9, 29, 59)));
    QVERIFY(!TimerMail_Check(taro.ctx(), failure));
    QCOMPARE(files(mail.path()), QStringList());
    raw->clock().set(QDateTime(QDate(2006, 6, 14), QTime(9, 30, 0)));
    QVERIFY(TimerMail_Check(taro.ctx(), failure));
    QCOMPARE(files(mail.path()), QStringList { "Hanako.001" });
    QCOMPARE(taro.ctx().earliestSendTime(), ScheduledMail::nothingWaiting());
    QCOMPARE(plainLines(Paths::join(mail.path(), "Hanako.001")).value(2),
        QStringLiteral("2006/06/14 09:30:00"));

    // A mail place that is gone: reported, the message keeps waiting and the time stays due.
    scheduleFor(taro, kDue, { QStringLiteral("Jiro") }, false, 0);
    taro.ctx().earliestSendTime() = TimerMail_Next(taro.ctx());
    taro.ctx().settings().setText(SettingNo::MailPlace, mail.path() + QStringLiteral("/gone"));
    QVERIFY(TimerMail_Check(taro.ctx(), failure));
    QCOMPARE(raw->box().shown().size(), 1);
    QCOMPARE(taro.ctx().earliestSendTime(), kDue);
    // No run at every tick meanwhile; the same failure later boxes no more.
    raw->clock().advance(DispatchRetrySeconds - 1);
    QVERIFY(!TimerMail_Check(taro.ctx(), failure));
    raw->clock().advance(1);
    QVERIFY(TimerMail_Check(taro.ctx(), failure));
    QCOMPARE(raw->box().shown().size(), 1);
    taro.ctx().settings().setText(SettingNo::MailPlace, mail.path());
    raw->clock().advance(DispatchRetrySeconds);
    QVERIFY(TimerMail_Check(taro.ctx(), failure));
    QCOMPARE(files(mail.path()), (QStringList { "Hanako.001", "Jiro.001" }));
}
