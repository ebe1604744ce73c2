// The composing window driven by control name: lists, addressees, templates,
// colours, the send end to end, its refusals, and the e-mail button.
#include "board/BoardAccess.h"
#include "board/frmMain.h"
#include "messaging/ComposeSend.h"
#include "messaging/MailNames.h"
#include "messaging/MailtoLink.h"
#include "messaging/MessageFile.h"
#include "messaging/MessageSender.h"
#include "messaging/frmMailSend.h"
#include "messaging/ScheduledMail.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/QuotedCsv.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "platform/Twips.h"
#include "startup/SharedRoutines.h"
#include "support/FileSizeCap.h"
#include "support/Controls.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

namespace {

const QString kMe = QStringLiteral("山田太郎");
const QString kSato = QStringLiteral("佐藤花子");
const QString kSuzuki = QStringLiteral("鈴木一郎");
const QString kTakahashi = QStringLiteral("高橋健");
const QString kNakamura = QStringLiteral("中村翔太");
const QString kKobayashi = QStringLiteral("小林美咲");
const QString kSep = QString(28, u'-');
const QByteArray kOldLog = "old record\r\n-----------------------------------\r\n";

QListWidget* list(QObject* w, int k)
{
    return control<QListWidget>(w, QStringLiteral("lstName%1").arg(k));
}

void click(QObject* w, const char* name)
{
    control<QAbstractButton>(w, QString::fromLatin1(name))->click();
}

void check(QObject* w, int board, int entry, bool on = true)
{
    QListWidgetItem* item = list(w, board)->item(entry);
    QVERIFY2(item, "no such entry");
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

QList<int> checkedEntries(QObject* w, int board)
{
    QList<int> out;
    QListWidget* l = list(w, board);
    for (int i = 0; i < l->count(); ++i)
        if (l->item(i)->checkState() == Qt::Checked)
            out.append(i);
    return out;
}

QStringList entryTexts(QObject* w, int board)
{
    QStringList out;
    QListWidget* l = list(w, board);
    for (int i = 0; i < l->count(); ++i)
        out.append(l->item(i)->text());
    return out;
}

QString atesaki(QObject* w)
{
    return control<QLineEdit>(w, QStringLiteral("txtAtesaki"))->text();
}

QColor textColour(QObject* w, const char* name)
{
    return control<QWidget>(w, QString::fromLatin1(name))->palette().color(QPalette::WindowText);
}

QString boardLine(const QString& name, const QString& login, const QString& mail = QString())
{
    return QuotedCsv::formatTextLine({name, QStringLiteral("在席"), login, QStringLiteral("06/14 09:00"),
                                      QString(), QStringLiteral("123"), mail});
}

// The shared folder of a small office: a board list with three boards (the
// third not shown to our user) and the mail place.
struct Office {
    QTemporaryDir dir;
    QString mailPlace, banList, board1, board2, board3;
    Office()
    {
        mailPlace = dir.filePath(QStringLiteral("mail"));
        Fs::makeDir(mailPlace);
        board1 = dir.filePath(QStringLiteral("soumu.iki"));
        board2 = dir.filePath(QStringLiteral("eigyo.iki"));
        board3 = dir.filePath(QStringLiteral("kaihatsu.iki"));
        writeBoard1({});
        TextFile::writeLines(board2, {boardLine(kNakamura, QStringLiteral("0"), QStringLiteral("nakamura@example.jp")),
                                      boardLine(kKobayashi, QStringLiteral("1"), QStringLiteral("kobayashi@example.jp"))});
        TextFile::writeLines(board3, {boardLine(QStringLiteral("伊藤"), QStringLiteral("1"))});
        banList = dir.filePath(QStringLiteral("ban.txt"));
        TextFile::writeLines(banList, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board1),
                                       QStringLiteral("2,\"営業部\",\"%1\"").arg(board2),
                                       QStringLiteral("3,\"開発部\",\"%1\"").arg(board3)});
    }
    // 総務部: a logged-in person, a separator row as the board editor writes it,
    // a logged-out person, a separator row with an empty login field, and a
    // logged-in person without a mail address.
    void writeBoard1(const QStringList& before)
    {
        QStringList lines = before;
        lines << boardLine(kSato, QStringLiteral("1"), QStringLiteral("sato@example.jp"))
              << boardLine(QStringLiteral("区切り線"), QStringLiteral("9"))
              << boardLine(kSuzuki, QStringLiteral("0"), QStringLiteral("suzuki@example.jp"))
              << boardLine(QStringLiteral("区切り線"), QString())
              << boardLine(kTakahashi, QStringLiteral("1"));
        TextFile::writeLines(board1, lines);
    }
    QStringList drops() const { return Fs::list(mailPlace, QStringLiteral("*")); }
};

// Our user, set up to send: name, mail place, message folders, a message log
// that already holds a record, and the board table read from the board list.
struct Sender {
    TestUser user;
    explicit Sender(const Office& office, const QString& shown = QStringLiteral("22111111111111111111"))
    {
        user.loadSettings();
        IniFile& ini = ctx().iniFile();
        ini.store(19, office.banList);
        ini.store(23, shown);
        ini.store(24, shown);
        ini.store(26, kMe);
        ini.store(29, office.mailPlace);
        ini.store(32, path(QStringLiteral("msglog.txt")));
        for (const QString& sub : {MailNames::tmpFolder(), MailNames::timFolder(), MailNames::rcvFolder()})
            Fs::makeDir(path(sub));
        Fs::writeBytes(logPath(), kOldLog);
        Banfile_Read(ctx());
    }
    AppContext& ctx() { return user.ctx(); }
    RecordingMessageBox& box() { return user.box(); }
    QString path(const QString& name) const { return Paths::join(user.folder(), name); }
    QString logPath() const { return path(QStringLiteral("msglog.txt")); }
    QByteArray logBytes() const { return Fs::readBytes(logPath()); }
    QStringList files(const QString& sub) const { return Fs::list(path(sub), QStringLiteral("*")); }
    // The settings file as a fresh start of the program reads it.
    int storedSetting(int number)
    {
        TestUser again(user.folder());
        again.loadSettings();
        return again.ctx().settings().intValue(number);
    }
    std::unique_ptr<frmMailSend> open(int group = 0, int gridRow = -1)
    {
        return std::make_unique<frmMailSend>(ctx(), nullptr, frmMailSend::Origin {group, gridRow});
    }
};

bool isOpen(QSignalSpy& finished)
{
    return finished.isEmpty();
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

class ComposeWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QGuiApplication::clipboard()->clear();
    }

    void listsShowEveryShownBoardWithItsRows()
    {
        Office office;
        Sender me(office);
        Fs::setReadOnly(office.board2, true);
        // The main window's row table holds its own board; opening must not change that.
        Ikifile_Read(me.ctx(), office.board1);
        const QList<BoardRow> mainRows = me.ctx().board().rows;

        auto w = me.open();
        QCOMPARE(w->windowTitle(), QStringLiteral("メッセージ作成"));
        auto* group = control<QComboBox>(w.get(), QStringLiteral("cboGroup"));
        QCOMPARE(group->count(), 2);
        QCOMPARE(group->itemText(0), QStringLiteral("総務部"));
        QCOMPARE(group->itemText(1), QStringLiteral("営業部"));
        QCOMPARE(entryTexts(w.get(), 0), (QStringList {u'*' + kSato, kSep, u' ' + kSuzuki, kSep, u'*' + kTakahashi}));
        QCOMPARE(entryTexts(w.get(), 1), (QStringList {u' ' + kNakamura, u'*' + kKobayashi}));
        for (int k = 2; k < frmMailSend::ListCount; ++k)
            QCOMPARE(list(w.get(), k)->count(), 0);

        // Only the chosen board's list is visible.
        QVERIFY(!list(w.get(), 0)->isHidden());
        QVERIFY(list(w.get(), 1)->isHidden());
        group->setCurrentIndex(1);
        QVERIFY(list(w.get(), 0)->isHidden());
        QVERIFY(!list(w.get(), 1)->isHidden());

        // The read-only board's list is green and the board table knows it now.
        QCOMPARE(list(w.get(), 1)->palette().color(QPalette::Text), QColor(0, 192, 0));
        QCOMPARE(list(w.get(), 0)->palette().color(QPalette::Text), QColor(0, 0, 0));
        QVERIFY(me.ctx().board().entries[1].readOnly);
        QVERIFY(!me.ctx().board().entries[0].readOnly);
        QCOMPARE(me.ctx().board().rows, mainRows);

        QCOMPARE(control<QLabel>(w.get(), QStringLiteral("lblYMD"))->text(), QStringLiteral("2006/06/14"));
        QCOMPARE(control<QLabel>(w.get(), QStringLiteral("lblHM"))->text(), QStringLiteral("09:05:07"));
        QVERIFY(control<QRadioButton>(w.get(), QStringLiteral("optTimer1"))->isChecked());
        QVERIFY(control<QPushButton>(w.get(), QStringLiteral("cmdTime"))->isEnabled());
        QCOMPARE(atesaki(w.get()), QStringLiteral("宛先："));
        QVERIFY(me.box().shown().isEmpty());
        Fs::setReadOnly(office.board2, false);
    }

    void preselectionFromTheMainGrid_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("gridRow");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("preselected");
        QTest::newRow("second board, second row") << 1 << 1 << QStringLiteral("宛先：") + kKobayashi + u',' << 1;
        QTest::newRow("no current row") << 1 << -1 << QStringLiteral("宛先：") << -1;
        QTest::newRow("row past the board's end") << 1 << 5 << QStringLiteral("宛先：") << -1;
        QTest::newRow("separator row: checked, never addressed") << 0 << 1 << QStringLiteral("宛先：") << 1;
    }
    void preselectionFromTheMainGrid()
    {
        QFETCH(int, group);
        QFETCH(int, gridRow);
        QFETCH(QString, line);
        QFETCH(int, preselected);
        Office office;
        Sender me(office);
        auto w = me.open(group, gridRow);
        QCOMPARE(w->preselected(), preselected);
        QCOMPARE(control<QComboBox>(w.get(), QStringLiteral("cboGroup"))->currentIndex(), group);
        QVERIFY(!list(w.get(), group)->isHidden());
        QCOMPARE(checkedEntries(w.get(), group), preselected >= 0 ? QList<int> {preselected} : QList<int> {});
        QCOMPARE(atesaki(w.get()), line);
    }

    void bulkChanges_data()
    {
        QTest::addColumn<int>("visible");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("gridRow"); // on 総務部
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<QString>("line");
        const QString all = QStringLiteral("chkAll");
        const QString login = QStringLiteral("chkLogAll");
        const QString to = QStringLiteral("宛先：");
        QTest::newRow("全員 checks every entry") << 0 << QStringList {all} << 2 << QList<int> {0, 1, 2, 3, 4}
                                              << to + kSato + u',' + kSuzuki + u',' + kTakahashi + u',';
        QTest::newRow("全員 cleared keeps the grid's person") << 0 << QStringList {all, all} << 2 << QList<int> {2}
                                                           << to + kSuzuki + u',';
        QTest::newRow("全員 cleared without a grid person") << 0 << QStringList {all, all} << -1 << QList<int> {} << to;
        QTest::newRow("全員 cleared on another board") << 1 << QStringList {all, all} << 2 << QList<int> {}
                                                    << to + kSuzuki + u',';
        QTest::newRow("ﾛｸﾞｲﾝ全員 checks the * entries") << 0 << QStringList {login} << -1 << QList<int> {0, 4}
                                                    << to + kSato + u',' + kTakahashi + u',';
        QTest::newRow("ﾛｸﾞｲﾝ全員 unchecks the rest") << 0 << QStringList {login} << 2 << QList<int> {0, 4}
                                                 << to + kSato + u',' + kTakahashi + u',';
        QTest::newRow("ﾛｸﾞｲﾝ全員 cleared keeps the grid's person") << 0 << QStringList {login, login} << 2
                                                             << QList<int> {2} << to + kSuzuki + u',';
        QTest::newRow("全員 then ﾛｸﾞｲﾝ全員") << 0 << QStringList {all, login} << -1 << QList<int> {0, 4}
                                         << to + kSato + u',' + kTakahashi + u',';
        QTest::newRow("ﾛｸﾞｲﾝ全員 on the second board") << 1 << QStringList {login} << -1 << QList<int> {1}
                                                   << to + kKobayashi + u',';
    }
    void bulkChanges()
    {
        QFETCH(int, visible);
        QFETCH(QStringList, clicks);
        QFETCH(int, gridRow);
        QFETCH(QList<int>, checked);
        QFETCH(QString, line);
        Office office;
        Sender me(office);
        auto w = me.open(0, gridRow);
        control<QComboBox>(w.get(), QStringLiteral("cboGroup"))->setCurrentIndex(visible);
        list(w.get(), visible)->setCurrentRow(0);
        for (const QString& box : clicks)
            control<QCheckBox>(w.get(), box)->click();
        QCOMPARE(checkedEntries(w.get(), visible), checked);
        QCOMPARE(list(w.get(), visible)->currentRow(), -1);
        QCOMPARE(atesaki(w.get()), line);
    }

    void addresseeLineFollowsBoardOrder()
    {
        Office office;
        Sender me(office);
        auto w = me.open();
        control<QComboBox>(w.get(), QStringLiteral("cboGroup"))->setCurrentIndex(1);
        check(w.get(), 1, 1);
        QCOMPARE(atesaki(w.get()), QStringLiteral("宛先：") + kKobayashi + u',');
        control<QComboBox>(w.get(), QStringLiteral("cboGroup"))->setCurrentIndex(0);
        check(w.get(), 0, 2);
        check(w.get(), 0, 3); // a separator adds nothing
        QCOMPARE(atesaki(w.get()), QStringLiteral("宛先：") + kSuzuki + u',' + kKobayashi + u',');
        check(w.get(), 0, 2, false);
        QCOMPARE(atesaki(w.get()), QStringLiteral("宛先：") + kKobayashi + u',');

        // The message file and the log record list them in the same order.
        check(w.get(), 0, 2);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "cmdSend");
        QCOMPARE(office.drops(), (QStringList {kKobayashi + QStringLiteral(".001"), kSuzuki + QStringLiteral(".001")}));
        const MessageReadResult r = MessageFormat::read(Paths::join(office.mailPlace, kKobayashi + QStringLiteral(".001")));
        QCOMPARE(r.message.addressees, kSuzuki + u',' + kKobayashi + u',');
        QVERIFY(Sjis::decode(me.logBytes()).contains(QStringLiteral("\r\n宛先：") + kSuzuki + u',' + kKobayashi + QStringLiteral(",\r\n")));
    }

    void templatesGoInThroughTheClipboard()
    {
        Office office;
        Sender me(office);
        TextFile::writeLines(me.path(QStringLiteral("template.ini")),
                             {QStringLiteral("お世話になっております。"), QString(), QStringLiteral("至急ご連絡ください。")});
        QGuiApplication::clipboard()->setText(QStringLiteral("前からあった内容"));
        auto w = me.open();
        auto* teikei = control<QComboBox>(w.get(), QStringLiteral("cboTeikei"));
        QCOMPARE(teikei->count(), 2);
        QCOMPARE(teikei->itemText(1), QStringLiteral("至急ご連絡ください。"));

        auto* memo = control<QPlainTextEdit>(w.get(), QStringLiteral("txtMemo"));
        memo->setPlainText(QStringLiteral("A選択B"));
        QTextCursor c = memo->textCursor();
        c.setPosition(1);
        c.setPosition(3, QTextCursor::KeepAnchor);
        memo->setTextCursor(c);
        teikei->setCurrentIndex(1);
        Q_EMIT teikei->activated(1);
        QCOMPARE(memo->toPlainText(), QStringLiteral("A至急ご連絡ください。B"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("至急ご連絡ください。"));

        // The same template again, at the caret.
        Q_EMIT teikei->activated(1);
        QCOMPARE(memo->toPlainText(), QStringLiteral("A至急ご連絡ください。至急ご連絡ください。B"));
    }

    void templateFileMissingOrUnusable()
    {
        Office office;
        {
            Sender me(office);
            auto w = me.open();
            QVERIFY(Fs::isFile(me.path(QStringLiteral("template.ini"))));
            QCOMPARE(Fs::length(me.path(QStringLiteral("template.ini"))), 0);
            QCOMPARE(control<QComboBox>(w.get(), QStringLiteral("cboTeikei"))->count(), 0);
            QVERIFY(me.box().shown().isEmpty());
        }
        {
            Sender me(office);
            const QString path = me.path(QStringLiteral("template.ini"));
            Fs::makeDir(path); // cannot be read as a file
            auto w = me.open();
            QCOMPARE(me.box().shown().size(), 1);
            QVERIFY(me.box().shown()[0].text.startsWith(QStringLiteral("(frmMailSend_Form_Load)") + path
                                                        + QStringLiteral(" open error! err code = ")));
            QCOMPARE(me.box().shown()[0].title, QStringLiteral("Porlune"));
            // The window is still usable: the send time is shown.
            QCOMPARE(control<QLabel>(w.get(), QStringLiteral("lblYMD"))->text(), QStringLiteral("2006/06/14"));
            QCOMPARE(control<QComboBox>(w.get(), QStringLiteral("cboTeikei"))->count(), 0);
        }
    }

    void receiptBoxAndTimerOptionColours()
    {
        Office office;
        Sender me(office);
        me.ctx().iniFile().store(35, QStringLiteral("1"));
        auto w = me.open();
        auto* receive = control<QCheckBox>(w.get(), QStringLiteral("chkReceive"));
        QVERIFY(receive->isChecked());
        QCOMPARE(textColour(w.get(), "chkReceive"), QColor(255, 0, 0));
        receive->click();
        QCOMPARE(textColour(w.get(), "chkReceive"), QApplication::palette(receive).color(QPalette::ButtonText));
        receive->click();
        QCOMPARE(textColour(w.get(), "chkReceive"), QColor(255, 0, 0));

        const QColor red(255, 0, 0), black(0, 0, 0);
        QCOMPARE(textColour(w.get(), "optTimer1"), red);
        QCOMPARE(textColour(w.get(), "optTimer0"), black);
        click(w.get(), "optTimer0");
        for (const char* name : {"optTimer0", "lblYMD", "lblHM"})
            QCOMPARE(textColour(w.get(), name), red);
        QCOMPARE(textColour(w.get(), "optTimer1"), black);
        click(w.get(), "optTimer1");
        for (const char* name : {"optTimer0", "lblYMD", "lblHM"})
            QCOMPARE(textColour(w.get(), name), black);
        QCOMPARE(textColour(w.get(), "optTimer1"), red);
    }

    void sendDeliversLogsAndAdvancesTheMailId_data()
    {
        QTest::addColumn<bool>("receipt");
        QTest::addColumn<bool>("sealed");
        QTest::addColumn<int>("mailId");
        QTest::addColumn<int>("storedAfter");
        QTest::newRow("open, no receipt") << false << false << 7 << 7;
        QTest::newRow("sealed with receipt, ID 7") << true << true << 7 << 8;
        QTest::newRow("receipt with ID 999") << true << false << 999 << 1;
    }
    void sendDeliversLogsAndAdvancesTheMailId()
    {
        QFETCH(bool, receipt);
        QFETCH(bool, sealed);
        QFETCH(int, mailId);
        QFETCH(int, storedAfter);
        Office office;
        Sender me(office);
        me.ctx().iniFile().store(44, QString::number(mailId));
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        check(w.get(), 0, 2);
        control<QPlainTextEdit>(w.get(), QStringLiteral("txtMemo"))->setPlainText(QStringLiteral("本文〜一行目\n二行目"));
        control<QCheckBox>(w.get(), QStringLiteral("chkHide"))->setChecked(sealed);
        control<QCheckBox>(w.get(), QStringLiteral("chkReceive"))->setChecked(receipt);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "cmdSend");

        QCOMPARE(me.box().texts(), QStringList {});
        QCOMPARE(finished.size(), 1);
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(office.drops(), (QStringList {kSato + QStringLiteral(".001"), kSuzuki + QStringLiteral(".001")}));
        for (const QString& name : {kSato, kSuzuki}) {
            const QString drop = Paths::join(office.mailPlace, name + QStringLiteral(".001"));
            const MessageReadResult r = MessageFormat::read(drop);
            QVERIFY(r.intact());
            QCOMPARE(r.message.addressees, kSato + u',' + kSuzuki + u',');
            QCOMPARE(r.message.sender, kMe);
            QCOMPARE(r.message.sentAt, QStringLiteral("2006/06/14 09:05:07"));
            QCOMPARE(r.message.sealed, sealed ? QStringLiteral("1") : QStringLiteral("0"));
            QCOMPARE(r.message.receipt, receipt ? QStringLiteral("1") : QStringLiteral("0"));
            QCOMPARE(r.message.mailId, receipt ? QString::number(mailId) : QStringLiteral("0"));
            QCOMPARE(r.message.textLines, (QStringList {QStringLiteral("本文〜一行目"), QStringLiteral("二行目")}));
            const QString rcv = Paths::join(me.path(QStringLiteral("RCV")),
                                            QStringLiteral("RCV") + name + u'.' + QString::number(mailId));
            QCOMPARE(Fs::isFile(rcv), receipt);
            if (receipt)
                QCOMPARE(Fs::readBytes(rcv), Fs::readBytes(drop));
        }
        QCOMPARE(me.files(QStringLiteral("RCV")).size(), receipt ? 2 : 0);

        // The record is appended to what the log held, in Shift-JIS ("〜" as 81 60).
        const QByteArray record = "\x88\xb6\x90\xe6\x81" "F\x8d\xb2\x93\xa1\x89\xd4\x8eq,\x97\xe9\x96\xd8\x88\xea\x98Y,"
                                  "\x0d\x0a\x0d\x0a\x96{\x95\xb6\x81`\x88\xea\x8ds\x96\xda\x0d\x0a\x93\xf1\x8ds\x96\xda"
                                  "\x0d\x0a\x0d\x0a\x91\x97\x90M\x8e\xd2\x81" "F\x8eR\x93" "c\x91\xbe\x98Y 2006/06/14 "
                                  "09:05:07\x0d\x0a-----------------------------------\x0d\x0a";
        QCOMPARE(me.logBytes(), kOldLog + record);

        QCOMPARE(me.ctx().settings().intValue(44), storedAfter);
        QCOMPARE(me.storedSetting(44), storedAfter);
    }

    void onlySeparatorsChecked()
    {
        Office office;
        Sender me(office);
        auto w = me.open();
        QSignalSpy finished(w.get(), &QDialog::finished);
        check(w.get(), 0, 1);
        check(w.get(), 0, 3);
        QCOMPARE(atesaki(w.get()), QStringLiteral("宛先："));
        control<QPlainTextEdit>(w.get(), QStringLiteral("txtMemo"))->setPlainText(QStringLiteral("連絡"));
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "cmdSend");

        QVERIFY(me.box().shown().isEmpty());
        QCOMPARE(finished.size(), 1);
        QVERIFY(office.drops().isEmpty());
        const MessageReadResult tmp = MessageFormat::read(me.path(QStringLiteral("message.tmp")));
        QVERIFY(tmp.intact());
        QCOMPARE(tmp.message.addressees, QString());
        QCOMPARE(tmp.message.textLines, QStringList {QStringLiteral("連絡")});
        const QStringList logLines = TextFile::splitLines(Sjis::decode(me.logBytes().mid(kOldLog.size())));
        QCOMPARE(logLines, (QStringList {QStringLiteral("宛先："), QString(), QStringLiteral("連絡"), QString(),
                                         QStringLiteral("送信者：山田太郎 2006/06/14 09:05:07"), QString(35, u'-')}));
    }

    void scheduledSend_data()
    {
        QTest::addColumn<int>("answerValue");
        QTest::addColumn<QString>("earliestBefore");
        QTest::addColumn<QString>("earliestAfter");
        QTest::newRow("OK lowers the earliest send time")
            << int(MsgResult::Ok) << QStringLiteral("99999999999999") << QStringLiteral("20060614090507");
        QTest::newRow("OK keeps an earlier one")
            << int(MsgResult::Ok) << QStringLiteral("20060101000000") << QStringLiteral("20060101000000");
        QTest::newRow("Cancel writes nothing")
            << int(MsgResult::Cancel) << QStringLiteral("99999999999999") << QStringLiteral("99999999999999");
    }
    void scheduledSend()
    {
        QFETCH(int, answerValue);
        const MsgResult answer = MsgResult(answerValue);
        QFETCH(QString, earliestBefore);
        QFETCH(QString, earliestAfter);
        Office office;
        Sender me(office);
        me.ctx().iniFile().store(44, QStringLiteral("12"));
        me.ctx().earliestSendTime() = earliestBefore;
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        control<QComboBox>(w.get(), QStringLiteral("cboGroup"))->setCurrentIndex(1);
        check(w.get(), 1, 0);
        control<QPlainTextEdit>(w.get(), QStringLiteral("txtMemo"))->setPlainText(QStringLiteral("定時の連絡"));
        control<QCheckBox>(w.get(), QStringLiteral("chkReceive"))->setChecked(true);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "optTimer0");
        me.box().queueAnswer(answer);
        click(w.get(), "cmdSend");

        QCOMPARE(me.box().shown().size(), 1);
        const MsgBoxRequest& asked = me.box().shown()[0];
        QCOMPARE(asked.text, QStringLiteral("2006/06/14 09:05:07にメッセージを送信します\r\nよろしいですか？"));
        QCOMPARE(asked.title, QStringLiteral("タイマー送信の確認"));
        QCOMPARE(asked.icon, MsgIcon::Question);
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        QVERIFY(asked.systemModal);
        QCOMPARE(me.ctx().earliestSendTime(), earliestAfter);
        QVERIFY(office.drops().isEmpty());
        QVERIFY(me.files(QStringLiteral("RCV")).isEmpty()); // made when it goes out
        if (answer == MsgResult::Cancel) {
            QVERIFY(isOpen(finished));
            QVERIFY(!Fs::exists(me.path(QStringLiteral("message.tmp"))));
            QVERIFY(me.files(QStringLiteral("TIM")).isEmpty());
            QCOMPARE(me.logBytes(), kOldLog);
            QCOMPARE(me.storedSetting(44), 12);
            return;
        }
        QCOMPARE(finished.size(), 1);
        const QStringList waiting {QStringLiteral("20060614090507") + kSato + QStringLiteral(".001"),
                                   QStringLiteral("20060614090507") + kNakamura + QStringLiteral(".001")};
        QCOMPARE(me.files(QStringLiteral("TIM")), (QStringList {waiting[1], waiting[0]}));
        const MessageReadResult r = MessageFormat::read(Paths::join(me.path(QStringLiteral("TIM")), waiting[0]));
        QCOMPARE(r.message.addressees, kSato + u',' + kNakamura + u',');
        QCOMPARE(r.message.mailId, QStringLiteral("12"));
        QVERIFY(Sjis::decode(me.logBytes()).contains(QStringLiteral("宛先：") + kSato + u',' + kNakamura + u','));
        QCOMPARE(me.storedSetting(44), 13);

        // The due check of the main window's timer really sends them, each once.
        DispatchFailure failure;
        QVERIFY(TimerMail_Check(me.ctx(), failure));
        QVERIFY(me.files(QStringLiteral("TIM")).isEmpty());
        QCOMPARE(office.drops().size(), 2);
        QCOMPARE(me.files(QStringLiteral("RCV")).size(), 2);
        QCOMPARE(me.ctx().earliestSendTime(), QStringLiteral("99999999999999"));
        QVERIFY(!TimerMail_Check(me.ctx(), failure));
        QCOMPARE(office.drops().size(), 2);
    }

    void readOnlyBoardBlocksTheSendUntilUnchecked()
    {
        Office office;
        Sender me(office);
        Fs::setReadOnly(office.board2, true);
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        control<QComboBox>(w.get(), QStringLiteral("cboGroup"))->setCurrentIndex(1);
        check(w.get(), 1, 1);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);

        me.box().queueAnswer(MsgResult::Cancel);
        click(w.get(), "cmdSend");
        QCOMPARE(me.box().shown().size(), 1);
        const MsgBoxRequest asked = me.box().shown()[0];
        QCOMPARE(asked.text, QStringLiteral("読み取り専用掲示板のユーザにメッセージを送ることは出来ません\r\n"
                                            "宛先を修正してもよろしいですか？"));
        QCOMPARE(asked.title, QStringLiteral("送信先の確認"));
        QCOMPARE(asked.icon, MsgIcon::Exclamation);
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        QCOMPARE(asked.defaultButton, 1);
        QVERIFY(asked.systemModal);
        QCOMPARE(checkedEntries(w.get(), 1), QList<int> {1});

        me.box().queueAnswer(MsgResult::Ok);
        click(w.get(), "cmdSend");
        QCOMPARE(me.box().shown().size(), 2);
        QVERIFY(checkedEntries(w.get(), 1).isEmpty());
        QCOMPARE(checkedEntries(w.get(), 0), QList<int> {0});
        QCOMPARE(atesaki(w.get()), QStringLiteral("宛先：") + kSato + u',');
        // Neither answer sent anything.
        QVERIFY(isOpen(finished));
        QVERIFY(office.drops().isEmpty());
        QVERIFY(!Fs::exists(me.path(QStringLiteral("message.tmp"))));
        QCOMPARE(me.logBytes(), kOldLog);

        click(w.get(), "cmdSend");
        QCOMPARE(me.box().shown().size(), 2);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(office.drops(), QStringList {kSato + QStringLiteral(".001")});
        Fs::setReadOnly(office.board2, false);
    }

    void nothingCheckedIsRefused()
    {
        Office office;
        Sender me(office);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        auto w = me.open();
        QSignalSpy finished(w.get(), &QDialog::finished);
        click(w.get(), "cmdSend");
        click(w.get(), "cmdMail");
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(me.box().shown().size(), 2);
        for (const MsgBoxRequest& r : me.box().shown()) {
            QCOMPARE(r.text, QStringLiteral("送信先が選択されていません"));
            QCOMPARE(r.title, QStringLiteral("送信エラー"));
            QCOMPARE(r.icon, MsgIcon::Stop);
            QVERIFY(r.systemModal);
        }
        QVERIFY(catcher.urls.isEmpty());
        QVERIFY(isOpen(finished));
        QVERIFY(!Fs::exists(me.path(QStringLiteral("message.tmp"))));
    }

    void rowsAreThoseTheWindowShowed()
    {
        Office office;
        Sender me(office);
        auto w = me.open(0, 2);
        // Another copy puts a new row on top of the board meanwhile.
        office.writeBoard1({boardLine(QStringLiteral("新人"), QStringLiteral("1"))});
        click(w.get(), "cmdSend");
        QCOMPARE(office.drops(), QStringList {kSuzuki + QStringLiteral(".001")});
    }

    void partOfTheCopiesFail()
    {
        Office office;
        Sender me(office);
        me.ctx().iniFile().store(44, QStringLiteral("5"));
        // Sato's box in the mail place is full.
        for (int n = 1; n <= 999; ++n)
            Fs::writeBytes(Paths::join(office.mailPlace, MailNames::dropFileName(kSato, n)), QByteArray());
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        check(w.get(), 0, 2);
        control<QCheckBox>(w.get(), QStringLiteral("chkReceive"))->setChecked(true);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "cmdSend");

        QCOMPARE(me.box().texts(), QStringList {MessageSender::fullText(kSato)});
        QVERIFY(Fs::isFile(Paths::join(office.mailPlace, kSuzuki + QStringLiteral(".001"))));
        QCOMPARE(me.files(QStringLiteral("RCV")), QStringList {QStringLiteral("RCV") + kSuzuki + QStringLiteral(".5")});
        // The window stays with only the addressee still to reach.
        QVERIFY(isOpen(finished));
        QCOMPARE(checkedEntries(w.get(), 0), QList<int> {0});
        QCOMPARE(atesaki(w.get()), QStringLiteral("宛先：") + kSato + u',');
        QVERIFY(Sjis::decode(me.logBytes()).contains(QStringLiteral("\r\n宛先：") + kSuzuki + QStringLiteral(",\r\n")));
        QCOMPARE(me.storedSetting(44), 6);
    }

    void everyCopyFails()
    {
        Office office;
        Sender me(office);
        me.ctx().iniFile().store(44, QStringLiteral("5"));
        me.ctx().iniFile().store(29, office.dir.filePath(QStringLiteral("gone")));
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        control<QCheckBox>(w.get(), QStringLiteral("chkReceive"))->setChecked(true);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "cmdSend");
        QCOMPARE(me.box().shown().size(), 1);
        QVERIFY(me.box().shown()[0].text.startsWith(QStringLiteral("(frmMailSend_cmdSend_Click)")));
        QVERIFY(isOpen(finished));
        QCOMPARE(checkedEntries(w.get(), 0), QList<int> {0});
        QCOMPARE(me.logBytes(), kOldLog);
        QCOMPARE(me.storedSetting(44), 5);
        QVERIFY(me.files(QStringLiteral("RCV")).isEmpty());
    }

    void nameThatCannotBeAFileNameRefusesTheWholeSend()
    {
        Office office;
        TextFile::writeLines(office.board2, {boardLine(QStringLiteral("中村.翔太"), QStringLiteral("1"))});
        Sender me(office);
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        check(w.get(), 1, 0);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "cmdSend");
        QCOMPARE(me.box().shown().size(), 1);
        QCOMPARE(me.box().shown()[0].title, QStringLiteral("送信エラー"));
        QVERIFY(me.box().shown()[0].text.contains(QStringLiteral("中村.翔太")));
        QVERIFY(isOpen(finished));
        QVERIFY(office.drops().isEmpty());
        QCOMPARE(me.logBytes(), kOldLog);
    }

    void missingLogIsReportedAndTheSendGoesOn()
    {
        Office office;
        Sender me(office);
        Fs::remove(me.logPath());
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        control<QCheckBox>(w.get(), QStringLiteral("chkReceive"))->setChecked(true);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        click(w.get(), "cmdSend");
        QCOMPARE(me.box().shown().size(), 1);
        QCOMPARE(me.box().shown()[0].title, QStringLiteral("ファイルが見つかりません"));
        QVERIFY(me.box().shown()[0].text.startsWith(QStringLiteral("ログを書き込むファイルが見つかりません")));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!Fs::exists(me.logPath()));
        QCOMPARE(office.drops(), QStringList {kSato + QStringLiteral(".001")});
        QCOMPARE(me.storedSetting(44), 2);
    }

    void logThatCannotBeWrittenStillUsesTheMailId()
    {
        Office office;
        Sender me(office);
        // Room for what the log holds and not one byte more.
        QByteArray big(64 * 1024, 'x');
        Fs::writeBytes(me.logPath(), big);
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        control<QCheckBox>(w.get(), QStringLiteral("chkReceive"))->setChecked(true);
        control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
        {
            FileSizeCap cap(rlim_t(big.size()));
            QVERIFY(cap.active());
            click(w.get(), "cmdSend");
        }

        QCOMPARE(me.box().shown().size(), 1);
        QVERIFY(me.box().shown()[0].text.startsWith(QStringLiteral("(frmMailSend_cmdSend_Click)") + me.logPath()));
        QCOMPARE(Fs::readBytes(me.logPath()), big);
        QCOMPARE(office.drops(), QStringList {kSato + QStringLiteral(".001")});
        // The message went out with ID 1 and "RCV佐藤花子.1" waits for its receipt:
        // the next message must not reuse that ID, nor go out a second time.
        QCOMPARE(me.storedSetting(44), 2);
        QCOMPARE(finished.size(), 1);
    }

    void layoutAndPresetsAreSavedOnClosing_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal") << false;
        QTest::newRow("maximized keeps the old size") << true;
    }
    void layoutAndPresetsAreSavedOnClosing()
    {
        QFETCH(bool, maximized);
        Office office;
        Sender me(office);
        {
            auto w = me.open();
            w->resize(Twips::toPixels(9000), Twips::toPixels(6000));
            w->move(Twips::toPixels(720), Twips::toPixels(1440));
            if (maximized)
                w->setWindowState(Qt::WindowMaximized);
            control<QCheckBox>(w.get(), QStringLiteral("chkHide"))->setChecked(true);
            control<QCheckBox>(w.get(), QStringLiteral("chkLog"))->setChecked(true);
            click(w.get(), "cmdCancel");
        }
        QCOMPARE(me.storedSetting(34), 1);
        QCOMPARE(me.storedSetting(35), 0);
        QCOMPARE(me.storedSetting(36), 1);
        QCOMPARE(me.storedSetting(30), maximized ? 6105 : 6000);
        QCOMPARE(me.storedSetting(31), maximized ? 6705 : 9000);
        QCOMPARE(me.storedSetting(53), maximized ? 4000 : 720);
        QCOMPARE(me.storedSetting(54), maximized ? 1000 : 1440);

        auto again = me.open();
        QVERIFY(control<QCheckBox>(again.get(), QStringLiteral("chkHide"))->isChecked());
        QVERIFY(!control<QCheckBox>(again.get(), QStringLiteral("chkReceive"))->isChecked());
        QVERIFY(control<QCheckBox>(again.get(), QStringLiteral("chkLog"))->isChecked());
        if (!maximized)
            QCOMPARE(again->size(), QSize(Twips::toPixels(9000), Twips::toPixels(6000)));
    }

    void mailButtonHandsAddressesAndTextToTheMailClient()
    {
        Office office;
        Sender me(office);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        auto w = me.open(0, 0);
        QSignalSpy finished(w.get(), &QDialog::finished);
        check(w.get(), 0, 1); // separator: no address
        check(w.get(), 0, 4); // no address on the board
        check(w.get(), 1, 1);
        control<QPlainTextEdit>(w.get(), QStringLiteral("txtMemo"))->setPlainText(QStringLiteral("会議は15時から\n場所：A&B室"));
        click(w.get(), "cmdMail");
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

        QCOMPARE(catcher.urls.size(), 1);
        const QUrl url = catcher.urls[0];
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(url.path(QUrl::FullyDecoded), QStringLiteral("sato@example.jp,kobayashi@example.jp"));
        QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
                 QStringLiteral("会議は15時から\r\n場所：A&B室"));
        QVERIFY(me.box().shown().isEmpty());
        QVERIFY(isOpen(finished));
        QVERIFY(office.drops().isEmpty());
    }

    void mainWindowMenuOpensTheWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mailPlace"); // "-" for the office's
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("line"); // empty: refused
        QTest::newRow("no user name") << QString() << QStringLiteral("-") << false << QString();
        QTest::newRow("no mail place") << kMe << QString() << false << QString();
        QTest::newRow("grid double-click refused too") << QString() << QStringLiteral("-") << true << QString();
        QTest::newRow("menu") << kMe << QStringLiteral("-") << false << QStringLiteral("宛先：") + kSuzuki + u',';
        QTest::newRow("grid double-click") << kMe << QStringLiteral("-") << true
                                           << QStringLiteral("宛先：") + kSuzuki + u',';
    }
    void mainWindowMenuOpensTheWindow()
    {
        QFETCH(QString, name);
        QFETCH(QString, mailPlace);
        QFETCH(bool, doubleClick);
        QFETCH(QString, line);
        Office office;
        Sender me(office);
        me.ctx().iniFile().store(26, name);
        me.ctx().iniFile().store(29, mailPlace == u"-" ? office.mailPlace : mailPlace);
        frmMain main(me.ctx());
        main.Form_Load();
        QVERIFY(main.Timer1.isActive());
        auto* grid = control<QTableWidget>(&main, QStringLiteral("DataGrid1"));
        grid->setCurrentCell(2, 1);

        bool opened = false;
        QString shownLine;
        bool pollStopped = false;
        if (!line.isEmpty())
            QTimer::singleShot(0, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (auto* w = qobject_cast<frmMailSend*>(modal)) {
                    opened = true;
                    shownLine = atesaki(w);
                    pollStopped = !main.Timer1.isActive() && !main.Timer2.isActive();
                    click(w, "cmdCancel");
                } else if (modal) {
                    modal->close();
                }
            });
        if (doubleClick)
            Q_EMIT grid->cellDoubleClicked(2, 1);
        else
            control<QAction>(&main, QStringLiteral("mnuMassage"))->trigger();

        if (line.isEmpty()) {
            QCOMPARE(me.box().shown().size(), 1);
            const MsgBoxRequest r = me.box().shown()[0];
            QCOMPARE(r.text, QStringLiteral("ユーザ名もしくは、メールの置き場所が正しく設定されていません。"));
            QCOMPARE(r.title, QStringLiteral("メッセージ作成エラー"));
            QCOMPARE(r.icon, MsgIcon::Stop);
            QVERIFY(r.systemModal);
            return;
        }
        QVERIFY(opened);
        QCOMPARE(shownLine, line);
        QVERIFY(pollStopped);
        QVERIFY(main.Timer1.isActive());
        QVERIFY(me.box().shown().isEmpty());
    }

    // A box during the composing window's loading (here an unreadable template
    // list) lets window messages run: the poll and the mail mark are already
    // stopped then, so no message window opens over the loading.
    void messageTimersStopBeforeTheComposingWindowLoads()
    {
        Office office;
        Sender me(office);
        frmMain main(me.ctx());
        main.Form_Load();
        QVERIFY(main.Timer1.isActive());
        me.ctx().iniFile().store(39, QStringLiteral("1"));
        main.resumeMessageTimers();
        QVERIFY(main.Timer2.isActive());
        Fs::makeDir(me.path(QStringLiteral("template.ini")));
        int boxes = 0;
        bool timersStopped = true;
        me.box().onShow = [&](const MsgBoxRequest&) {
            ++boxes;
            timersStopped = timersStopped && !main.Timer1.isActive() && !main.Timer2.isActive();
        };
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        control<QAction>(&main, QStringLiteral("mnuMassage"))->trigger();
        me.box().onShow = nullptr;
        QCOMPARE(boxes, 1);
        QVERIFY(timersStopped);
        QVERIFY(main.Timer1.isActive() && main.Timer2.isActive()); // started again after closing
    }
};

class ComposeLogicTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mailtoLink_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("decodedBody");
        QTest::newRow("two addresses, Japanese lines")
            << QStringList {QStringLiteral("sato@example.jp"), QStringLiteral("suzuki@example.jp")}
            << QStringLiteral("本文〜です\n二行目") << QStringLiteral("sato@example.jp,suzuki@example.jp")
            << QStringLiteral("本文〜です\r\n二行目");
        QTest::newRow("characters with a meaning in addresses")
            << QStringList {QStringLiteral("a+b@example.jp")} << QStringLiteral("1+1=2 & 50% #1 ?")
            << QStringLiteral("a+b@example.jp") << QStringLiteral("1+1=2 & 50% #1 ?");
        QTest::newRow("CR LF stays one break") << QStringList {QStringLiteral("x@example.jp")}
                                               << QStringLiteral("a\r\nb\n") << QStringLiteral("x@example.jp")
                                               << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("no address") << QStringList {} << QStringLiteral("本文") << QString() << QStringLiteral("本文");
    }
    void mailtoLink()
    {
        QFETCH(QStringList, addresses);
        QFETCH(QString, body);
        QFETCH(QString, to);
        QFETCH(QString, decodedBody);
        const QUrl url = MailtoLink::build(addresses, body);
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(url.path(QUrl::FullyDecoded), to);
        QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded), decodedBody);
        const QByteArray encoded = url.toEncoded();
        for (char c : encoded)
            QVERIFY2(uchar(c) < 0x80 && c != ' ', encoded.constData());
        // A mail client that reads "+" as a blank must still see "+".
        QCOMPARE(encoded.mid(encoded.indexOf('?')).contains('+'), false);
    }

    void mailtoWithoutText()
    {
        const QUrl url = MailtoLink::build({QStringLiteral("x@example.jp")}, QString());
        QCOMPARE(url.toEncoded(), QByteArray("mailto:x@example.jp"));
    }

    void sendTimeDigits_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("digits");
        QTest::newRow("as shown") << QStringLiteral("2006/06/14") << QStringLiteral("09:05:07")
                                  << QStringLiteral("20060614090507");
        QTest::newRow("one-digit parts") << QStringLiteral("2006/6/4") << QStringLiteral("9:5:7")
                                         << QStringLiteral("20060604090507");
        QTest::newRow("31 February passes") << QStringLiteral("2006/02/31") << QStringLiteral("23:59:59")
                                            << QStringLiteral("20060231235959");
        QTest::newRow("empty labels") << QString() << QString() << QString();
        QTest::newRow("month 13") << QStringLiteral("2006/13/01") << QStringLiteral("00:00:00") << QString();
        QTest::newRow("hour 24") << QStringLiteral("2006/06/14") << QStringLiteral("24:00:00") << QString();
        QTest::newRow("not digits") << QStringLiteral("2006/0x/14") << QStringLiteral("09:05:07") << QString();
        QTest::newRow("missing second") << QStringLiteral("2006/06/14") << QStringLiteral("09:05") << QString();
    }
    void sendTimeDigits()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, digits);
        QCOMPARE(ComposeSend::sendTimeDigits(date, time), digits);
    }
};

PORLUNE_TEST_MAIN(ComposeWindowTest, ComposeLogicTest)

#include "tst_compose.moc"
