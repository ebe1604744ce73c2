#include "board/frmMain.h"
#include "messaging/MessageFile.h"
#include "messaging/MessageSender.h"
#include "messaging/frmMessage.h"
#include "messaging/frmPassIn.h"
#include "msglog/MessageLog.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "startup/SharedRoutines.h"
#include "startup/StartupSequence.h"
#include "support/FileSizeCap.h"
#include "MessagingPerson.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>


class TestReceiving : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sealedMessageWithReceiptEndToEnd_data() { SHARED_PLACES_DATA(); }
    void sealedMessageWithReceiptEndToEnd()
    {
        QFETCH(SharedPlace::Kind, place);
        SHARED_PLACE(mail, place);
        Person a(QStringLiteral("Taro"), mail.path());
        Person b(QStringLiteral("花子"), mail.path(), QStringLiteral("himitsu"));
        a.send(QStringLiteral("花子"), QStringLiteral("明日の会議は\r\n10時からです"), true, true);
        QVERIFY(Fs::isFile(a.path(QStringLiteral("RCV/RCV花子.7"))));

        b.main->Timer1_Shori();
        QCOMPARE(b.main->messageWindows().size(), 1);
        frmMessage* w = b.main->messageWindows().first();
        QCOMPARE(w->windowTitle(), QStringLiteral("｢Taro｣からのメッセージ(2006/06/14 09:05:07)"));
        QVERIFY(Fs::isFile(b.path(QStringLiteral("TMP/TMP花子.1"))));
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("*")), QStringList());

        // The seal opens only with B's password.
        QVERIFY(w->sealedNow());
        answerPassword(QStringLiteral("wrong"));
        w->cmdHide_Click();
        QVERIFY(w->sealedNow());
        QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("cmdHide"))->text(), QStringLiteral("パスワードが違います"));
        answerPassword(QStringLiteral(" himitsu "));
        w->cmdHide_Click();
        QVERIFY(!w->sealedNow());
        QCOMPARE(w->shownText(), QStringLiteral("明日の会議は\r\n10時からです\r\n"));

        b.user.clock().advance(60);
        QVERIFY(w->cmdClose_Click());
        QTRY_COMPARE(b.main->messageWindows().size(), 0);
        QVERIFY(!Fs::exists(b.path(QStringLiteral("TMP/TMP花子.1"))));
        const MessageLog::ParseResult log = MessageLog::parse(Fs::readBytes(b.user.ctx().settings().text(32)));
        QCOMPARE(log.records.size(), 1);
        QCOMPARE(log.records.sender(0), QStringLiteral("Taro"));
        QCOMPARE(log.records.text(0), QStringLiteral("\r\n明日の会議は\r\n10時からです\r\n\r\n"));
        // Exactly one receipt waits for Taro.
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("Taro.*")), QStringList {QStringLiteral("Taro.001")});
        const MessageFile receipt = MessageFormat::read(mail.file(QStringLiteral("Taro.001"))).message;
        QCOMPARE(receipt.receiptKind(), MessageFile::Receipt::IsReceipt);
        QCOMPARE(receipt.mailId, QStringLiteral("7"));
        // The shown text split at its line breaks: the break after the last
        // line leaves one bare ">" at the end.
        QCOMPARE(receipt.textLines,
                 QStringList({QStringLiteral("<<これは受信確認のメッセージです>>"), QString(),
                              QStringLiteral(">明日の会議は"), QStringLiteral(">10時からです"), QStringLiteral(">")}));

        a.main->Timer1_Shori();
        QCOMPARE(a.main->messageWindows().size(), 1);
        frmMessage* r = a.main->messageWindows().first();
        QCOMPARE(r->windowTitle(), QStringLiteral("｢花子｣がメッセージを受信しました(2006/06/14 09:06:07)"));
        QVERIFY(r->findChild<QPushButton*>(QStringLiteral("cmdHenshin"))->isHidden());
        QVERIFY(!Fs::exists(a.path(QStringLiteral("RCV/RCV花子.7"))));
        QVERIFY(r->cmdClose_Click());
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("*")), QStringList()); // a receipt is not answered
        QCOMPARE(MessageLog::parse(Fs::readBytes(a.user.ctx().settings().text(32))).records.size(), 0);
        QVERIFY(a.user.box().shown().isEmpty());
        QVERIFY(b.user.box().shown().isEmpty());
    }

    void twoWaitingMessagesAndOneNotForMe()
    {
        QTemporaryDir mail;
        Person a(QStringLiteral("Taro"), mail.path());
        Person b(QStringLiteral("Hanako"), mail.path());
        a.send(QStringLiteral("Hanako"), QStringLiteral("一通目"), false, false);
        // A file dropped under B's name but addressed to somebody else.
        MessageFile stray;
        stray.addressees = MessageFile::addresseeLine({QStringLiteral("Jiro")});
        stray.sender = QStringLiteral("Taro");
        stray.sentAt = QStringLiteral("2006/06/14 09:10:00");
        stray.setText(QStringLiteral("ジロー宛"));
        stray.receipt = QStringLiteral("1");
        QCOMPARE(Fs::writeBytes(QDir(mail.path()).filePath(QStringLiteral("Hanako.002")), MessageFormat::encode(stray)), 0);

        b.main->Timer1_Shori();
        const QList<frmMessage*> windows = b.main->messageWindows();
        QCOMPARE(windows.size(), 2);
        QCOMPARE(Fs::list(b.path(QStringLiteral("TMP")), QStringLiteral("*")),
                 QStringList({QStringLiteral("TMPHanako.1"), QStringLiteral("TMPHanako.2")}));
        QCOMPARE(windows[0]->shownText(), QStringLiteral("一通目\r\n"));
        QCOMPARE(windows[1]->shownText(), QStringLiteral("このメッセージは読めません\r\n"));
        QVERIFY(!windows[1]->sealedNow());

        // Logged as received all the same.
        QVERIFY(windows[1]->cmdClose_Click());
        const MessageLog::ParseResult log = MessageLog::parse(Fs::readBytes(b.user.ctx().settings().text(32)));
        QCOMPARE(log.records.size(), 1);
        QCOMPARE(log.records.text(0), QStringLiteral("\r\nこのメッセージは読めません\r\n\r\n"));
        // Its receipt quotes that one line: the text has no line break after it.
        const QStringList receipts = Fs::list(mail.path(), QStringLiteral("Taro.*"));
        QCOMPARE(receipts.size(), 1);
        QCOMPARE(MessageFormat::read(QDir(mail.path()).filePath(receipts[0])).message.textLines,
                 QStringList({QStringLiteral("<<これは受信確認のメッセージです>>"), QString(),
                              QStringLiteral(">このメッセージは読めません")}));
    }

    void messagesOpenAtExitComeBackAtTheNextStart()
    {
        QTemporaryDir mail;
        Person a(QStringLiteral("Taro"), mail.path());
        auto b = std::make_unique<Person>(QStringLiteral("Hanako"), mail.path());
        a.send(QStringLiteral("Hanako"), QStringLiteral("まだ読んでいない"), false, true);
        b->main->Timer1_Shori();
        QCOMPARE(b->main->messageWindows().size(), 1);
        b->main->unload();
        QCOMPARE(b->main->messageWindows().size(), 0);
        const QString folder = b->user.folder();
        QVERIFY(Fs::isFile(QDir(folder).filePath(QStringLiteral("TMP/TMPHanako.1"))));
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("Taro.*")), QStringList()); // no receipt sent

        // The same program folder started again.
        TestUser again(folder);
        again.loadSettings();
        frmMain main(again.ctx());
        main.Form_Load();
        QCOMPARE(main.messageWindows().size(), 1);
        QCOMPARE(main.messageWindows().first()->shownText(), QStringLiteral("まだ読んでいない\r\n"));
        main.messageWindows().first()->unloadQuietly();
    }

    void receiptGoesOutOnceWhenTheLogFailsAtFirst()
    {
        QTemporaryDir mail;
        Person a(QStringLiteral("Taro"), mail.path());
        Person b(QStringLiteral("Hanako"), mail.path());
        a.send(QStringLiteral("Hanako"), QStringLiteral("確認をお願いします"), false, true);
        b.main->Timer1_Shori();
        frmMessage* w = b.main->messageWindows().value(0);
        QVERIFY(w);

        // The log has room for what it holds and not one byte more.
        const QString log = b.user.ctx().settings().text(32);
        const QByteArray held = QByteArray("x\r\n").repeated(16 * 1024);
        QCOMPARE(Fs::writeBytes(log, held), 0);
        bool closedFirst = true;
        {
            FileSizeCap cap(rlim_t(held.size()));
            QVERIFY(cap.active());
            closedFirst = w->cmdClose_Click();
        }

        QVERIFY(!closedFirst);
        QCOMPARE(b.user.box().shown().size(), 1);
        QVERIFY(b.user.box().shown()[0].text.startsWith(QStringLiteral("(frmMessage_cmdClose_Click") + log));
        QVERIFY(Fs::isFile(b.path(QStringLiteral("TMP/TMPHanako.1"))));
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("Taro.*")), QStringList {QStringLiteral("Taro.001")});

        // Closing again logs the message; the receipt already went out.
        QVERIFY(w->cmdClose_Click());
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("Taro.*")), QStringList {QStringLiteral("Taro.001")});
        QVERIFY(!Fs::exists(b.path(QStringLiteral("TMP/TMPHanako.1"))));
        const QByteArray bytes = Fs::readBytes(log);
        QVERIFY(bytes.startsWith(held));
        const MessageLog::ParseResult parsed = MessageLog::parse(bytes.mid(held.size()));
        QCOMPARE(parsed.records.size(), 1);
        QCOMPARE(parsed.records.sender(0), QStringLiteral("Taro"));
    }

    void messageThatCannotMoveToTmpIsShownOnce()
    {
        QTemporaryDir mail;
        Person a(QStringLiteral("Taro"), mail.path());
        Person b(QStringLiteral("Hanako"), mail.path());
        a.send(QStringLiteral("Hanako"), QStringLiteral("受領確認つき"), false, true);
        // No "TMP" folder: the move out of the inbox fails.
        QVERIFY(QDir(b.path(QStringLiteral("TMP"))).removeRecursively());

        b.main->Timer1_Shori();
        b.main->Timer1_Shori();
        QCOMPARE(b.main->messageWindows().size(), 1);
        frmMessage* w = b.main->messageWindows().first();
        QCOMPARE(w->filePath(), b.path(QStringLiteral("Hanako.1")));
        QVERIFY(Fs::isFile(w->filePath()));

        QVERIFY(w->cmdClose_Click());
        QVERIFY(!Fs::exists(b.path(QStringLiteral("Hanako.1"))));
        b.main->Timer1_Shori();
        QCOMPARE(b.main->messageWindows().size(), 0);
        QCOMPARE(Fs::list(mail.path(), QStringLiteral("Taro.*")), QStringList {QStringLiteral("Taro.001")});
    }

    void receiptFromANameWithAPathRemovesNothingOutsideRcv()
    {
        QTemporaryDir mail;
        Person a(QStringLiteral("Taro"), mail.path());
        // A receipt whose sender field walks out of "RCV".
        MessageFile forged;
        forged.addressees = MessageFile::addresseeLine({QStringLiteral("Taro")});
        forged.sender = QStringLiteral("x/../../victim");
        forged.sentAt = QStringLiteral("2006/06/14 09:10:00");
        forged.receipt = QStringLiteral("2");
        forged.mailId = QStringLiteral("7");
        QCOMPARE(Fs::writeBytes(QDir(mail.path()).filePath(QStringLiteral("Taro.001")), MessageFormat::encode(forged)), 0);
        QVERIFY(QDir(a.path(QStringLiteral("RCV"))).mkdir(QStringLiteral("RCVx")));
        QCOMPARE(Fs::writeBytes(a.path(QStringLiteral("victim.7")), "keep"), 0);

        a.main->Timer1_Shori();
        QCOMPARE(a.main->messageWindows().size(), 1);
        QCOMPARE(Fs::readBytes(a.path(QStringLiteral("victim.7"))), QByteArray("keep"));
    }

    void sealWithoutOwnPasswordOpensAtOnce()
    {
        QTemporaryDir mail;
        Person a(QStringLiteral("Taro"), mail.path());
        Person b(QStringLiteral("Hanako"), mail.path());
        a.send(QStringLiteral("Hanako"), QStringLiteral("封をした"), true, false);
        b.main->Timer1_Shori();
        frmMessage* w = b.main->messageWindows().value(0);
        QVERIFY(w && w->sealedNow());
        w->cmdHide_Click();
        QVERIFY(!w->sealedNow());
    }
};

PORLUNE_TEST_MAIN(TestReceiving)

#include "tst_receiving.moc"
