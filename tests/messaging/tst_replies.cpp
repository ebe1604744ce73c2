// Replies, the send-time dialog, the lists of waiting and of unread messages,
// the message settings, and a scheduled message with a receipt between two users.
#include "MessagingPerson.h"
#include "LegacyFile.h"

#include "messaging/ComposeSend.h"
#include "messaging/MailNames.h"
#include "messaging/PendingLists.h"
#include "messaging/ScheduledMail.h"
#include "messaging/frmMSettei.h"
#include "messaging/frmMailSend.h"
#include "messaging/frmMailSend2.h"
#include "messaging/frmMessage2.h"
#include "messaging/frmReceive.h"
#include "messaging/frmTimeSet.h"
#include "messaging/frmUnsent.h"
#include "msglog/MessageLog.h"
#include "board/frmIcon.h"
#include "common/TextScramble.h"
#include "platform/Paths.h"
#include "support/Controls.h"
#include "support/SharedPlace.h"
#include "support/TestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

#include <functional>

namespace {

const QString kTaro = QStringLiteral("Taro");
const QString kHanako = QStringLiteral("Hanako");

// Acts on the modal window the next modal loop opens; T is its class.
template<typename T>
void onModal(std::function<void(T*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY2(w, "the expected window did not open");
        act(w);
        if (QTest::currentTestFailed() && w->isVisible())
            w->close(); // a failed check must not leave the test waiting on the window
    });
}

// The reply window's actions, as a user ends it.
enum class ReplyEnd { Send, SendAndClose, Cancel, TitleBar };

void endReply(frmMailSend2* w, ReplyEnd how)
{
    switch (how) {
    case ReplyEnd::Send: control<QPushButton>(w, "cmdSend0")->click(); break;
    case ReplyEnd::SendAndClose: control<QPushButton>(w, "cmdSend1")->click(); break;
    case ReplyEnd::Cancel: control<QPushButton>(w, "cmdCancel")->click(); break;
    case ReplyEnd::TitleBar: w->close(); break;
    }
}

QStringList receiptKinds(const QString& mailPlace, const QString& pattern)
{
    QStringList kinds;
    for (const QString& name : Fs::list(mailPlace, pattern))
        kinds.append(MessageFormat::read(Paths::join(mailPlace, name)).message.receipt);
    return kinds;
}

// A scheduled message from p, through the composing send.
void schedule(Person& p, const QStringList& to, const QString& sendTime, bool receipt, const QString& text)
{
    ComposeSend::Request r;
    r.recipients = to;
    r.text = text;
    r.receipt = receipt;
    r.scheduled = true;
    r.sendTime = sendTime;
    QVERIFY(ComposeSend::send(p.user.ctx(), r).complete());
}

} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quoteForReply_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("two lines") << QStringLiteral("a\r\nb\r\n") << QStringLiteral(">a\r\n>b\r\n");
        QTest::newRow("unreadable: no final break") << QStringLiteral("このメッセージは読めません") << QString();
        QTest::newRow("empty line kept") << QStringLiteral("a\r\n\r\n") << QStringLiteral(">a\r\n>\r\n");
        QTest::newRow("nothing") << QString() << QString();
    }
    void quoteForReply()
    {
        QFETCH(QString, shown);
        QFETCH(QString, quoted);
        QCOMPARE(ComposeSend::quoteForReply(shown), quoted);
    }

    // Two messages with receipt requests; the first is answered with
    // "送信して閉じる", the second ended as the row says.
    void replyButtons_data()
    {
        QTest::addColumn<int>("second");
        QTest::addColumn<bool>("secondStaysOpen");
        QTest::addColumn<QStringList>("newDrops"); // receipt fields of what the second adds
        QTest::newRow("cancel") << int(ReplyEnd::Cancel) << true << QStringList();
        QTest::newRow("title bar") << int(ReplyEnd::TitleBar) << true << QStringList();
        QTest::newRow("send") << int(ReplyEnd::Send) << true << QStringList {QStringLiteral("0")};
        QTest::newRow("send and close")
            << int(ReplyEnd::SendAndClose) << false << QStringList {QStringLiteral("0"), QStringLiteral("2")};
    }
    void replyButtons()
    {
        QFETCH(int, second);
        QFETCH(bool, secondStaysOpen);
        QFETCH(QStringList, newDrops);
        QTemporaryDir mail;
        Person taro(kTaro, mail.path());
        Person hanako(kHanako, mail.path(), {}, {{35, QStringLiteral("0")}});
        taro.send(kHanako, QStringLiteral("a\r\nb"), false, true, 7);
        taro.send(kHanako, QStringLiteral("二通目"), false, true, 8);
        hanako.main->Timer1_Shori();
        QCOMPARE(hanako.main->messageWindows().size(), 2);
        QPointer<frmMessage> first = hanako.main->messageWindows()[0];
        QPointer<frmMessage> other = hanako.main->messageWindows()[1];

        QString prefilled, caption;
        bool timersPaused = false;
        onModal<frmMailSend2>([&](frmMailSend2* w) {
            prefilled = control<QPlainTextEdit>(w, "txtMemo")->toPlainText();
            caption = w->windowTitle();
            timersPaused = !hanako.main->Timer1.isActive();
            endReply(w, ReplyEnd::SendAndClose);
        });
        hanako.user.clock().advance(30);
        first->cmdHenshin_Click();
        QCOMPARE(prefilled, QStringLiteral(">a\n>b\n"));
        QCOMPARE(caption, QStringLiteral("｢Taro｣への返信メッセージ"));
        QVERIFY(timersPaused);
        QTRY_VERIFY(first.isNull());
        // The reply first, then the receipt.
        QCOMPARE(receiptKinds(mail.path(), QStringLiteral("Taro.*")),
                 (QStringList {QStringLiteral("0"), QStringLiteral("2")}));
        const MessageFile reply = MessageFormat::read(Paths::join(mail.path(), QStringLiteral("Taro.001"))).message;
        QCOMPARE(reply.addressees, QStringLiteral("Taro,"));
        QCOMPARE(reply.sender, kHanako);
        QCOMPARE(reply.textLines, (QStringList {QStringLiteral(">a"), QStringLiteral(">b"), QString()}));
        const MessageLog::ParseResult log = MessageLog::parse(Fs::readBytes(hanako.user.ctx().settings().text(32)));
        QCOMPARE(log.records.size(), 2); // the reply, then the received message
        QCOMPARE(log.records.addressees(0), kTaro); // one addressee, no trailing ","

        onModal<frmMailSend2>([second](frmMailSend2* w) { endReply(w, ReplyEnd(second)); });
        other->cmdHenshin_Click();
        QTest::qWait(20);
        QCOMPARE(!other.isNull(), secondStaysOpen);
        QStringList expected {QStringLiteral("0"), QStringLiteral("2")};
        expected += newDrops;
        QCOMPARE(receiptKinds(mail.path(), QStringLiteral("Taro.*")), expected);
        QVERIFY(hanako.user.box().shown().isEmpty());
    }

    // A sealed text is not quoted while its seal is closed; an addressee that
    // cannot be a file name is refused as composing refuses it.
    void replyGuards()
    {
        QTemporaryDir mail;
        Person taro(kTaro, mail.path());
        Person hanako(kHanako, mail.path(), QStringLiteral("pw"));
        taro.send(kHanako, QStringLiteral("内緒の話"), true, false);
        MessageFile forged;
        forged.addressees = MessageFile::addresseeLine({kHanako});
        forged.sender = QStringLiteral("../outside");
        forged.sentAt = QStringLiteral("2006/06/14 09:10:00");
        forged.setText(QStringLiteral("返事をください"));
        QCOMPARE(Fs::writeBytes(Paths::join(mail.path(), QStringLiteral("Hanako.002")), MessageFormat::encode(forged)), 0);
        hanako.main->Timer1_Shori();
        QCOMPARE(hanako.main->messageWindows().size(), 2);
        frmMessage* sealed = hanako.main->messageWindows()[0];
        QVERIFY(sealed->sealedNow());
        QCOMPARE(sealed->replyQuotation(), QString());
        answerPassword(QStringLiteral("pw"));
        sealed->cmdHide_Click();
        QCOMPARE(sealed->replyQuotation(), QStringLiteral(">内緒の話\r\n"));

        frmMessage* bad = hanako.main->messageWindows()[1];
        bool stayedOpen = false;
        onModal<frmMailSend2>([&](frmMailSend2* w) {
            endReply(w, ReplyEnd::SendAndClose);
            stayedOpen = w->isVisible();
            endReply(w, ReplyEnd::Cancel);
        });
        bad->cmdHenshin_Click();
        QVERIFY(stayedOpen);
        QCOMPARE(hanako.user.box().shown().size(), 1);
        QCOMPARE(hanako.user.box().shown()[0].title, QStringLiteral("送信エラー"));
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("*")), QStringList());
        QVERIFY(!Fs::exists(QDir(mail.path()).filePath(QStringLiteral("../outside.001"))));
        QCOMPARE(hanako.main->messageWindows().size(), 2);
    }

    // A receipt request never takes a mail ID whose "RCV" entry still waits.
    void replyReceiptSkipsPendingEntries_data()
    {
        QTest::addColumn<QList<int>>("pending");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("used");
        QTest::addColumn<int>("after");
        QTest::newRow("free") << QList<int>() << 999 << 999 << 1;
        QTest::newRow("wrapped onto a waiting entry") << QList<int> {1} << 1 << 2 << 3;
        QTest::newRow("two waiting, across the wrap") << QList<int> {999, 1} << 999 << 2 << 3;
    }
    void replyReceiptSkipsPendingEntries()
    {
        QFETCH(QList<int>, pending);
        QFETCH(int, current);
        QFETCH(int, used);
        QFETCH(int, after);
        QTemporaryDir mail;
        Person taro(kTaro, mail.path());
        Person hanako(kHanako, mail.path(), {}, {{44, QString::number(current)}, {35, QStringLiteral("1")}});
        for (int id : pending)
            QCOMPARE(Fs::writeBytes(hanako.path(QStringLiteral("RCV/RCVTaro.%1").arg(id)), "older"), 0);
        taro.send(kHanako, QStringLiteral("質問です"), false, false);
        hanako.main->Timer1_Shori();
        onModal<frmMailSend2>([](frmMailSend2* w) { endReply(w, ReplyEnd::Send); });
        hanako.main->messageWindows()[0]->cmdHenshin_Click();
        const MessageFile reply = MessageFormat::read(Paths::join(mail.path(), QStringLiteral("Taro.001"))).message;
        QCOMPARE(reply.mailIdNumber(), used);
        for (int id : pending)
            QCOMPARE(Fs::readBytes(hanako.path(QStringLiteral("RCV/RCVTaro.%1").arg(id))), QByteArray("older"));
        QVERIFY(Fs::isFile(hanako.path(QStringLiteral("RCV/RCVTaro.%1").arg(used))));
        QCOMPARE(hanako.user.ctx().settings().intValue(44), after);
    }

    void timeSetField_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // empty: refused
        QTest::newRow("month padded") << 1 << QStringLiteral("7") << QStringLiteral("07");
        QTest::newRow("month 13") << 1 << QStringLiteral("13") << QString();
        QTest::newRow("day 0") << 2 << QStringLiteral("0") << QString();
        QTest::newRow("hour 23") << 3 << QStringLiteral("23") << QStringLiteral("23");
        QTest::newRow("hour 24") << 3 << QStringLiteral("24") << QString();
        QTest::newRow("minute letters") << 4 << QStringLiteral("ab") << QString();
        QTest::newRow("second 59") << 5 << QStringLiteral("59") << QStringLiteral("59");
        QTest::newRow("year 2999 kept") << 0 << QStringLiteral("2999") << QStringLiteral("2999");
        QTest::newRow("year 3000") << 0 << QStringLiteral("3000") << QString();
    }
    void timeSetField()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TestUser u;
        u.loadSettings();
        frmTimeSet w(u.ctx(), nullptr, QStringLiteral("2006/06/14"), QStringLiteral("9:05:07"));
        auto* box = control<QComboBox>(&w, QStringList({"cboNen", "cboGetsu", "cboNiti", "cboJi", "cboFun", "cboByo"})[field]);
        box->setEditText(typed);
        QCOMPARE(w.cbo_LostFocus(field), !shown.isEmpty());
        if (shown.isEmpty()) {
            QCOMPARE(u.box().shown().size(), 1);
            QCOMPARE(u.box().shown()[0].text, QStringLiteral("正しい数値を入力してください"));
            QCOMPARE(u.box().shown()[0].title, QStringLiteral("入力エラー"));
            QVERIFY(u.box().shown()[0].systemModal);
        } else {
            QCOMPARE(box->currentText(), shown);
            QVERIFY(u.box().shown().isEmpty());
        }
    }

    void timeSetDate_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("date"); // empty: refused
        QTest::newRow("as loaded") << QString() << QString() << QStringLiteral("2006/06/14");
        QTest::newRow("31 February") << QStringLiteral("02") << QStringLiteral("31") << QString();
        QTest::newRow("29 February, no leap year") << QStringLiteral("02") << QStringLiteral("29") << QString();
        QTest::newRow("30 April") << QStringLiteral("04") << QStringLiteral("30") << QStringLiteral("2006/04/30");
    }
    void timeSetDate()
    {
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(QString, date);
        TestUser u;
        u.loadSettings();
        frmTimeSet w(u.ctx(), nullptr, QStringLiteral("2006/06/14"), QStringLiteral("9:05:07"));
        auto* year = control<QComboBox>(&w, "cboNen");
        QCOMPARE(year->count(), 10);
        QCOMPARE(year->itemText(9), QStringLiteral("2015"));
        QCOMPARE(control<QComboBox>(&w, "cboJi")->currentText(), QStringLiteral("09"));
        if (!month.isEmpty()) {
            control<QComboBox>(&w, "cboGetsu")->setEditText(month);
            control<QComboBox>(&w, "cboNiti")->setEditText(day);
        }
        w.cmdSettei_Click();
        QCOMPARE(w.result() == QDialog::Accepted, !date.isEmpty());
        if (date.isEmpty()) {
            QCOMPARE(u.box().texts(), QStringList {QStringLiteral("正しい日付を入力してください")});
            return;
        }
        QCOMPARE(w.date(), date);
        QCOMPARE(w.time(), QStringLiteral("09:05:07"));
    }

    // "時刻設定" in the composing window: the chosen time lands in its labels
    // and the scheduled send takes it.
    void composeTimeButton()
    {
        QTemporaryDir mail;
        Person taro(kTaro, mail.path());
        frmMailSend w(taro.user.ctx(), nullptr, {});
        auto* button = control<QPushButton>(&w, "cmdTime");
        QVERIFY(button->isEnabled());
        onModal<frmTimeSet>([](frmTimeSet* t) {
            control<QComboBox>(t, "cboJi")->setEditText(QStringLiteral("17"));
            control<QComboBox>(t, "cboFun")->setEditText(QStringLiteral("3"));
            control<QPushButton>(t, "cmdSettei")->click();
        });
        button->click();
        QCOMPARE(control<QLabel>(&w, "lblYMD")->text(), QStringLiteral("2006/06/14"));
        QCOMPARE(control<QLabel>(&w, "lblHM")->text(), QStringLiteral("17:03:07"));
        onModal<frmTimeSet>([](frmTimeSet* t) { control<QPushButton>(t, "cmdCancel")->click(); });
        button->click();
        QCOMPARE(control<QLabel>(&w, "lblHM")->text(), QStringLiteral("17:03:07"));
    }

    void scheduledNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("waiting");
        QTest::newRow("message") << QStringLiteral("20060614090500Taro.001") << true;
        QTest::newRow("Japanese name") << QStringLiteral("20060614090500花子.012") << true;
        QTest::newRow("old working copy") << QStringLiteral("20060614090500Taro.001tmp") << false;
        QTest::newRow("short number") << QStringLiteral("20060614090500Taro.1") << false;
        QTest::newRow("13 digits") << QStringLiteral("2006061409050Taro.001") << false;
        QTest::newRow("no name") << QStringLiteral("20060614090500.001") << false;
        QTest::newRow("letters in number") << QStringLiteral("20060614090500Taro.0a1") << false;
        QTest::newRow("number 000") << QStringLiteral("20060614090500Taro.000") << false;
    }
    void scheduledNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, waiting);
        QCOMPARE(ScheduledMail::isScheduledName(name), waiting);
        QTemporaryDir tim;
        QCOMPARE(Fs::writeBytes(Paths::join(tim.path(), name), "x"), 0);
        const ScheduledMail store(tim.path(), tim.path(), tim.path(), kTaro);
        QCOMPARE(store.next(), waiting ? QStringLiteral("20060614090500") : ScheduledMail::nothingWaiting());
        QCOMPARE(PendingLists::unsent(tim.path()).size(), waiting ? 1 : 0);
    }

    // The due check runs after the board refresh counting of Timer4, which
    // runs only while setting 41 is above 0.
    void dueCheckFollowsTheRefreshSetting_data()
    {
        QTest::addColumn<QString>("refresh");
        QTest::newRow("refresh on") << QStringLiteral("1");
        QTest::newRow("refresh off") << QStringLiteral("0");
    }
    void dueCheckFollowsTheRefreshSetting()
    {
        QFETCH(QString, refresh);
        const bool on = refresh != u"0";
        QTemporaryDir mail;
        Person taro(kTaro, mail.path(), {}, {{41, refresh}});
        schedule(taro, {kHanako}, QStringLiteral("20060614090000"), true, QStringLiteral("過去の時刻"));
        QCOMPARE(taro.user.ctx().earliestSendTime(), QStringLiteral("20060614090000"));
        QCOMPARE(taro.main->Timer4.isActive(), on);
        taro.main->Timer4_Timer();
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("Hanako.*")).size(), on ? 1 : 0);
        QCOMPARE(Fs::list(taro.path(QStringLiteral("TIM")), QStringLiteral("*")).size(), on ? 0 : 1);
        QCOMPARE(Fs::list(taro.path(QStringLiteral("RCV")), QStringLiteral("*")).size(), on ? 1 : 0);
    }

    void unsentList()
    {
        QTemporaryDir mail;
        Person taro(kTaro, mail.path(), {}, {{41, QStringLiteral("1")}});
        schedule(taro, {kHanako, QStringLiteral("Jiro")}, QStringLiteral("20060614100000"), false,
                 QStringLiteral("十時の連絡\r\n二行目"));
        schedule(taro, {kHanako}, QStringLiteral("20060614110000"), false, QStringLiteral("十一時"));
        taro.user.clock().advance(2 * 3600); // everything is due meanwhile

        QStringList lines, hidden;
        QString lookCaption, lookText;
        QStringList boxes;
        bool held = false;
        onModal<frmUnsent>([&](frmUnsent* w) {
            held = taro.main->scheduledDispatchHeld();
            taro.main->Timer4_Timer(); // due, but on the list that is open
            lines = w->lines();
            auto* list = control<QListWidget>(w, "lstReceive");
            auto* list2 = control<QListWidget>(w, "lstReceive2");
            hidden.append(list2->item(0)->text());
            w->cmdLook_Click(); // nothing chosen
            list->setCurrentRow(1);
            onModal<frmMessage2>([&](frmMessage2* m) {
                lookCaption = m->windowTitle();
                lookText = control<QPlainTextEdit>(m, "txtMemo")->toPlainText();
                m->accept();
            });
            w->cmdLook_Click();
            w->cmdDelete_Click(); // deletes Jiro's message
            list->setCurrentRow(0);
            QCOMPARE(Fs::remove(taro.path(QStringLiteral("TIM/20060614100000Hanako.001"))), 0);
            w->cmdDelete_Click(); // already gone
            boxes = taro.user.box().texts();
            w->accept();
        });
        control<QAction>(taro.main.get(), "mnuUnsent")->trigger();

        QVERIFY(held);
        QCOMPARE(lines, (QStringList {QStringLiteral("2006/06/14 10:00:00|Hanako"),
                                      QStringLiteral("2006/06/14 10:00:00|Jiro"),
                                      QStringLiteral("2006/06/14 11:00:00|Hanako")}));
        QCOMPARE(hidden, QStringList {QStringLiteral("2006/06/14 10:00:00|Hanako|001")});
        QCOMPARE(lookCaption, QStringLiteral("｢Jiro｣(2006/06/14 10:00:00)に送信予定のメッセージ"));
        QCOMPARE(lookText, QStringLiteral("十時の連絡\n二行目\n"));
        QCOMPARE(boxes, (QStringList {QStringLiteral("表示したいメッセージを選択してください"),
                                      QStringLiteral("このメッセージはすでに送信されたため、削除できませんでした")}));
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("*")), QStringList()); // nothing went while it was open
        QCOMPARE(taro.user.ctx().earliestSendTime(), QStringLiteral("20060614110000"));
        QVERIFY(!taro.main->scheduledDispatchHeld());
        taro.main->Timer4_Timer();
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("*")), QStringList {QStringLiteral("Hanako.001")});
    }

    void unreadList()
    {
        TestUser u;
        u.loadSettings();
        const QString rcv = QDir(u.folder()).filePath(QStringLiteral("RCV"));
        QVERIFY(QDir(u.folder()).mkdir(QStringLiteral("RCV")));
        auto entry = [&](const QString& name, const QString& sentAt, const QString& text) {
            MessageFile m;
            m.addressees = QStringLiteral("Hanako,");
            m.sender = kTaro;
            m.sentAt = sentAt;
            m.receipt = QStringLiteral("1");
            m.setText(text);
            QCOMPARE(Fs::writeBytes(Paths::join(rcv, name), MessageFormat::encode(m)), 0);
        };
        Person dummy(kTaro, u.folder()); // a main window to host the list
        {
            frmReceive empty(u.ctx(), *dummy.main);
            QCOMPARE(empty.lines(), QStringList());
            QCOMPARE(control<QListWidget>(&empty, "lstHeader")->item(0)->text(), QStringLiteral("  　送信日時 　 |　送信先"));
        }
        entry(QStringLiteral("RCVHanako.12"), QStringLiteral("2006/06/14 09:05:07"), QStringLiteral("十二番"));
        entry(QStringLiteral("RCVHanako.7"), QStringLiteral("2006/06/14 09:05:30"), QStringLiteral("七番"));
        QCOMPARE(Fs::writeBytes(Paths::join(rcv, QStringLiteral("RCVJiro.3")),
                                legacyBytes(42, {QStringLiteral("Jiro,"), kTaro, QStringLiteral("2005/01/02 03:04:05"),
                                                 QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3"),
                                                 QStringLiteral("古い形")})),
                 0);
        frmReceive w(u.ctx(), *dummy.main);
        QCOMPARE(w.lines(), (QStringList {QStringLiteral("2006/06/14 09:05|Hanako"),
                                          QStringLiteral("2006/06/14 09:05|Hanako"),
                                          QStringLiteral("2005/01/02 03:04|Jiro")}));
        auto* list = control<QListWidget>(&w, "lstReceive");
        QStringList texts;
        for (int row : {0, 1, 2}) {
            list->setCurrentRow(row);
            onModal<frmMessage2>([&](frmMessage2* m) {
                texts.append(m->windowTitle() + u'|' + control<QPlainTextEdit>(m, "txtMemo")->toPlainText());
                m->accept();
            });
            w.cmdLook_Click();
        }
        QCOMPARE(texts, (QStringList {QStringLiteral("｢Hanako｣(2006/06/14 09:05)に送ったメッセージ|十二番\n"),
                                      QStringLiteral("｢Hanako｣(2006/06/14 09:05)に送ったメッセージ|七番\n"),
                                      QStringLiteral("｢Jiro｣(2005/01/02 03:04)に送ったメッセージ|古い形\n")}));
        list->setCurrentRow(0);
        w.cmdDelete_Click();
        QCOMPARE(Fs::list(rcv, QStringLiteral("*")), (QStringList {QStringLiteral("RCVHanako.7"), QStringLiteral("RCVJiro.3")}));
        QCOMPARE(w.lines().size(), 2);
        w.cmdDelete_Click(); // nothing chosen after the refill
        QCOMPARE(u.box().texts(), QStringList {QStringLiteral("削除したいリストを選択してください")});
    }

    void settingsInterval_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored"); // -1: refused
        QTest::newRow("0 turns the poll off") << QStringLiteral("0") << 0;
        QTest::newRow("blanks around") << QStringLiteral(" 15 ") << 15;
        QTest::newRow("9999") << QStringLiteral("9999") << 9999;
        QTest::newRow("10000") << QStringLiteral("10000") << -1;
        QTest::newRow("wide digits, as an input method types them") << QStringLiteral("１２０") << 120;
        QTest::newRow("-1") << QStringLiteral("-1") << -1;
        QTest::newRow("abc") << QStringLiteral("abc") << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void settingsInterval()
    {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QTemporaryDir mail;
        Person taro(kTaro, mail.path(), {}, {{37, QStringLiteral("300")}});
        bool stayed = false;
        onModal<frmMSettei>([&](frmMSettei* w) {
            control<QLineEdit>(w, "txtReTime")->setText(typed);
            w->cmdOk_Click();
            stayed = w->isVisible();
            if (stayed)
                w->reject();
        });
        control<QAction>(taro.main.get(), "mnuMSettei")->trigger();
        QCOMPARE(stayed, stored < 0);
        QCOMPARE(taro.user.ctx().settings().intValue(37), stored < 0 ? 300 : stored);
        QCOMPARE(taro.main->Timer1.isActive(), stored != 0);
        if (stored < 0) {
            QCOMPARE(taro.user.box().texts(), QStringList {QStringLiteral("メッセージを受信する時間を正しく入力してください")});
            QCOMPARE(taro.user.box().shown()[0].title, QStringLiteral("入力エラー"));
        }
    }

    // The two stacking boxes exclude each other; a message window opened after
    // the change follows it.
    void settingsStacking()
    {
        QTemporaryDir mail;
        Person taro(kTaro, mail.path(), {}, {{38, QStringLiteral("0")}, {51, QStringLiteral("1")}});
        Person hanako(kHanako, mail.path());
        frmMSettei w(taro.user.ctx(), *taro.main);
        auto* onTop = control<QCheckBox>(&w, "chkZorder");
        auto* toFront = control<QCheckBox>(&w, "chkZOrder2");
        QVERIFY(!onTop->isEnabled() && toFront->isEnabled());
        toFront->setChecked(false);
        QVERIFY(onTop->isEnabled());
        onTop->setChecked(true);
        QVERIFY(!toFront->isEnabled());
        w.cmdOk_Click();
        QCOMPARE(taro.user.ctx().settings().intValue(38), 1);
        QCOMPARE(taro.user.ctx().settings().intValue(51), 0);
        hanako.send(kTaro, QStringLiteral("前面に"), false, false);
        taro.main->Timer1_Shori();
        QVERIFY(taro.main->messageWindows().value(0)->windowFlags() & Qt::WindowStaysOnTopHint);
    }

    // Turning the mail mark or the tray blink off takes it away at once.
    void settingsIndicatorsOff()
    {
        QTemporaryDir mail;
        Person taro(kTaro, mail.path(), {}, {{39, QStringLiteral("1")}, {40, QStringLiteral("1")}});
        Person hanako(kHanako, mail.path());
        hanako.send(kTaro, QStringLiteral("お知らせ"), false, false);
        taro.main->Timer1_Shori();
        taro.main->Timer2_Timer();
        taro.main->Timer3_Timer();
        QVERIFY(taro.main->mailMark());
        QCOMPARE(taro.user.tray().picture(), 1);
        onModal<frmMSettei>([](frmMSettei* w) {
            control<QCheckBox>(w, "chkIcon")->setChecked(false);
            control<QCheckBox>(w, "chkTray")->setChecked(false);
            w->cmdOk_Click();
        });
        control<QAction>(taro.main.get(), "mnuMSettei")->trigger();
        QVERIFY(!taro.main->mailMark());
        QCOMPARE(taro.user.tray().picture(), 0);
        QVERIFY(!taro.main->Timer2.isActive() && !taro.main->Timer3.isActive());
    }

    // Two users on the mail place: a scheduled message with a receipt request
    // goes out once after its time, is answered with a reply and a receipt,
    // and the receipt takes it off the sender's list of unread messages.
    void scheduledMessageRepliedAndConfirmed_data() { SHARED_PLACES_TWO_MOUNTS_DATA(); }
    void scheduledMessageRepliedAndConfirmed()
    {
        QFETCH(SharedPlace::Kind, place);
        SHARED_PLACE(mail, place);
        Person taro(kTaro, mail.path(), {}, {{41, QStringLiteral("1")}, {44, QStringLiteral("5")}});
        Person hanako(kHanako, mail.path2());
        schedule(taro, {kHanako}, QStringLiteral("20060614091000"), true, QStringLiteral("会議室の件\r\nよろしく"));
        QCOMPARE(taro.user.ctx().settings().intValue(44), 6);
        auto unread = [&] {
            frmReceive w(taro.user.ctx(), *taro.main);
            return w.lines();
        };

        taro.main->Timer4_Timer(); // 09:05:07: not yet
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("*")), QStringList());
        QCOMPARE(unread(), QStringList());
        taro.user.clock().advance(6 * 60); // 09:11:07
        for (int tick = 0; tick < 3; ++tick)
            taro.main->Timer4_Timer();
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("Hanako.*")), QStringList {QStringLiteral("Hanako.001")});
        QCOMPARE(unread(), QStringList {QStringLiteral("2006/06/14 09:11|Hanako")});

        hanako.user.clock().advance(10 * 60);
        QTRY_VERIFY_WITH_TIMEOUT(!Fs::list(mail.path2(), QStringLiteral("Hanako.*")).isEmpty(), 10000);
        hanako.main->Timer1_Shori();
        QCOMPARE(hanako.main->messageWindows().size(), 1);
        QPointer<frmMessage> got = hanako.main->messageWindows()[0];
        QCOMPARE(got->windowTitle(), QStringLiteral("｢Taro｣からのメッセージ(2006/06/14 09:11:07)"));
        onModal<frmMailSend2>([](frmMailSend2* w) {
            control<QPlainTextEdit>(w, "txtMemo")->appendPlainText(QStringLiteral("了解です"));
            endReply(w, ReplyEnd::SendAndClose);
        });
        got->cmdHenshin_Click();
        QTRY_VERIFY(got.isNull());

        QTRY_COMPARE_WITH_TIMEOUT(Fs::list(mail.path(), QStringLiteral("Taro.*")).size(), 2, 10000);
        taro.main->Timer1_Shori();
        const QList<frmMessage*> windows = taro.main->messageWindows();
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows[0]->windowTitle(), QStringLiteral("｢Hanako｣からのメッセージ(2006/06/14 09:15:07)"));
        QCOMPARE(windows[0]->shownText(), QStringLiteral(">会議室の件\r\n>よろしく\r\n\r\n了解です\r\n"));
        QCOMPARE(windows[1]->windowTitle(), QStringLiteral("｢Hanako｣がメッセージを受信しました(2006/06/14 09:15:07)"));
        QCOMPARE(unread(), QStringList());
        taro.main->Timer4_Timer();
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("*")), QStringList()); // sent once only
        QVERIFY(taro.user.box().shown().isEmpty());
        QVERIFY(hanako.user.box().shown().isEmpty());
    }
};

PORLUNE_TEST_MAIN(TestReplies)

#include "tst_replies.moc"
