#include "board/BoardAccess.h"
#include "board/frmMain.h"
#include "dialogs/frmFilePath.h"
#include "dialogs/frmFilePath2.h"
#include "dialogs/frmKeijiban.h"
#include "dialogs/frmKobetsu.h"
#include "dialogs/frmPass.h"
#include "dialogs/frmUser.h"
#include "platform/FileOps.h"
#include "platform/QuotedCsv.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "support/Controls.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>

#include <memory>

namespace {

const QString kMe = QStringLiteral("山田太郎");

void click(QObject* w, const char* name)
{
    control<QPushButton>(w, QString::fromLatin1(name))->click();
}

QString boardLine(const QString& name, const QString& login)
{
    return QuotedCsv::formatTextLine({name, QStringLiteral("帰宅しました"), login, QStringLiteral("12/09 18:00"),
                                      QString(), QString(), QString()});
}

// What an administrator prepared on the shared folder: a board list with two
// boards and common lists. The user's own program folder starts empty.
struct SharedFolder {
    QTemporaryDir dir;
    QString banList, board1, board2, whereTxt;
    SharedFolder()
    {
        board1 = dir.filePath(QStringLiteral("soumu.iki"));
        board2 = dir.filePath(QStringLiteral("eigyo.iki"));
        TextFile::writeLines(board1, {boardLine(QStringLiteral("佐藤花子"), QStringLiteral("1")), boardLine(kMe, QStringLiteral("0"))});
        TextFile::writeLines(board2, {boardLine(QStringLiteral("中村翔太"), QStringLiteral("0"))});
        banList = dir.filePath(QStringLiteral("ban.txt"));
        TextFile::writeLines(banList, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board1),
                                       QStringLiteral("2,\"営業部\",\"%1\"").arg(board2)});
        whereTxt = dir.filePath(QStringLiteral("where.txt"));
        TextFile::writeLines(whereTxt, {QStringLiteral("会議室"), QString()});
    }
    QString myLogin() const
    {
        for (const QString& line : TextFile::readLines(board1).lines) {
            const QStringList f = QuotedCsv::parseLine(line).fields;
            if (f.value(0) == kMe)
                return f.value(2);
        }
        return {};
    }
};

// A user whose settings already point at the shared folder and read board 1.
std::unique_ptr<frmMain> configuredMain(TestUser& u, const SharedFolder& shared, const QString& flags = QStringLiteral("22111111111111111111"))
{
    u.loadSettings();
    u.ctx().iniFile().store(19, shared.banList);
    u.ctx().iniFile().store(23, flags);
    u.ctx().iniFile().store(24, flags);
    auto w = std::make_unique<frmMain>(u.ctx());
    w->Form_Load();
    return w;
}

QByteArray settingRecord(const TestUser& u, int number)
{
    return Fs::readBytes(QDir(u.folder()).filePath(QStringLiteral("Porlune.INI"))).mid((number - 1) * 128, 128);
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshFolderConfiguredThroughTheDialogsEndsWithAWorkingBoard()
    {
        SharedFolder shared;
        TestUser u;
        u.loadSettings();
        u.ctx().iniFile().store(37, QStringLiteral("60")); // polling on: dialogs pause it
        frmMain w(u.ctx());
        w.Form_Load();
        auto* group = control<QComboBox>(&w, QStringLiteral("cboGroup"));
        QCOMPARE(group->count(), 1);
        QCOMPARE(group->itemText(0), QString());

        // The board list, through the menu: the dialog is modal and the
        // message poll is stopped while it is open.
        u.dialogs().queuePath(shared.banList);
        bool pollStoppedMeanwhile = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<frmFilePath*>(QApplication::activeModalWidget());
            QVERIFY(d);
            pollStoppedMeanwhile = !w.Timer1.isActive() && !w.Timer2.isActive();
            click(d, "cmdKeijiban");
            click(d, "cmdClose");
        });
        control<QAction>(&w, QStringLiteral("mnuKyoyu"))->trigger();
        QVERIFY(pollStoppedMeanwhile);
        QVERIFY(w.Timer1.isActive());
        QCOMPARE(u.ctx().settings().text(19), shared.banList);
        QCOMPARE(u.dialogs().asked().last().title, QStringLiteral("掲示板リストの指定"));
        QCOMPARE(u.dialogs().asked().last().filter, QStringLiteral("掲示板リスト(ban.txt) (ban.txt)"));

        {
            frmKeijiban boards(u.ctx(), w);
            QCOMPARE(control<QCheckBox>(&boards, QStringLiteral("chkLogin1"))->text(), QStringLiteral("総務部"));
            QCOMPARE(control<QLabel>(&boards, QStringLiteral("lblID2"))->text(), QStringLiteral("02"));
            QVERIFY(control<QCheckBox>(&boards, QStringLiteral("chkRead3"))->isHidden());
            control<QCheckBox>(&boards, QStringLiteral("chkRead1"))->click();
            control<QCheckBox>(&boards, QStringLiteral("chkLogin1"))->click();
            click(&boards, "cmdOK");
        }
        QCOMPARE(group->itemText(0), QStringLiteral("総務部"));
        QCOMPARE(u.ctx().settings().text(23), QStringLiteral("21111111111111111111"));
        QCOMPARE(u.ctx().settings().text(24), QStringLiteral("21111111111111111111"));

        {
            frmUser user(u.ctx(), w);
            control<QLineEdit>(&user, QStringLiteral("txtName"))->setText(QStringLiteral(" 山田太郎 "));
            control<QLineEdit>(&user, QStringLiteral("txtNaisen"))->setText(QStringLiteral("101"));
            control<QLineEdit>(&user, QStringLiteral("txtMail"))->setText(QStringLiteral("yamada@example.jp"));
            click(&user, "cmdSettei");
            QCOMPARE(user.result(), int(QDialog::Accepted));
        }
        QCOMPARE(shared.myLogin(), QStringLiteral("1"));
        auto* grid = control<QTableWidget>(&w, QStringLiteral("DataGrid1"));
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("*"));
        QCOMPARE(grid->item(1, 5)->text(), QStringLiteral("101"));
        QVERIFY(u.box().shown().isEmpty());

        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().text(26), kMe);
        QCOMPARE(again.ctx().settings().text(27), QStringLiteral("101"));
    }

    void refusedNameChangesNothing()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        u.ctx().iniFile().store(26, QStringLiteral("佐藤花子"));
        u.ctx().iniFile().store(27, QStringLiteral("102"));
        QByteArray before[4];
        for (int k = 0; k < 4; ++k)
            before[k] = settingRecord(u, 25 + k);

        frmUser user(u.ctx(), *w);
        control<QLineEdit>(&user, QStringLiteral("txtName"))->setText(QStringLiteral("知らない人"));
        control<QLineEdit>(&user, QStringLiteral("txtNaisen"))->setText(QStringLiteral("999"));
        click(&user, "cmdSettei");
        QCOMPARE(user.result(), int(QDialog::Rejected));
        QCOMPARE(u.box().shown().size(), 1);
        QCOMPARE(u.box().shown()[0].text, QStringLiteral("ログインに失敗しました。ユーザ名・掲示板のログインチェックが正しく入力されているか確認してください"));
        QCOMPARE(u.box().shown()[0].title, QStringLiteral("ログインエラー"));
        QCOMPARE(u.box().shown()[0].icon, MsgIcon::Stop);
        QCOMPARE(control<QLineEdit>(&user, QStringLiteral("txtName"))->text(), QString());
        for (int k = 0; k < 4; ++k)
            QCOMPARE(settingRecord(u, 25 + k), before[k]);
        QCOMPARE(u.ctx().settings().text(26), QStringLiteral("佐藤花子"));
        QCOMPARE(u.ctx().settings().text(27), QStringLiteral("102"));
    }

    void emptyNameIsStoredWithoutACheck()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        u.ctx().iniFile().store(26, kMe);
        const Fs::FileStamp board = Fs::stamp(shared.board1);
        frmUser user(u.ctx(), *w);
        control<QLineEdit>(&user, QStringLiteral("txtName"))->clear();
        click(&user, "cmdSettei");
        QCOMPARE(user.result(), int(QDialog::Accepted));
        QVERIFY(u.box().shown().isEmpty());
        QCOMPARE(Fs::stamp(shared.board1), board); // no login check wrote the board
        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().text(26), QString());
    }

    void typedTextsLoseOnlyHalfWidthBlanks()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        frmUser user(u.ctx(), *w);
        control<QLineEdit>(&user, QStringLiteral("txtName"))->clear();
        control<QLineEdit>(&user, QStringLiteral("txtNaisen"))->setText(QStringLiteral(" \u3000１０２\u3000 "));
        control<QLineEdit>(&user, QStringLiteral("txtMail"))->setText(QStringLiteral("\ttaro@example.jp "));
        click(&user, "cmdSettei");
        QCOMPARE(user.result(), int(QDialog::Accepted));
        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().text(27), QStringLiteral("\u3000１０２\u3000"));
        QCOMPARE(again.ctx().settings().text(28), QStringLiteral("\ttaro@example.jp"));
    }

    void passwordDialog()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        frmUser user(u.ctx(), *w);
        {
            frmPass pass(u.ctx(), user);
            QVERIFY(control<QLineEdit>(&pass, QStringLiteral("txtPass0"))->isHidden()); // no password yet
            control<QLineEdit>(&pass, QStringLiteral("txtPass1"))->setText(QStringLiteral("abc123"));
            control<QLineEdit>(&pass, QStringLiteral("txtPass2"))->setText(QStringLiteral("abc124"));
            click(&pass, "cmdHenko");
            QCOMPARE(u.box().shown().last().title, QStringLiteral("確認用パスワードが違います"));
            QCOMPARE(control<QLineEdit>(&pass, QStringLiteral("txtPass1"))->text(), QString());
            QCOMPARE(pass.result(), int(QDialog::Rejected));
            control<QLineEdit>(&pass, QStringLiteral("txtPass1"))->setText(QStringLiteral("abc123"));
            control<QLineEdit>(&pass, QStringLiteral("txtPass2"))->setText(QStringLiteral("abc123 "));
            click(&pass, "cmdHenko");
            QCOMPARE(pass.result(), int(QDialog::Accepted));
            QCOMPARE(control<QLineEdit>(&pass, QStringLiteral("txtPass1"))->maxLength(), 8);
        }
        QCOMPARE(control<QLineEdit>(&user, QStringLiteral("txtPass"))->text(), QStringLiteral("abc123"));
        QCOMPARE(control<QLineEdit>(&user, QStringLiteral("txtPass"))->displayText(), QStringLiteral("******"));
        QCOMPARE(u.ctx().settings().text(25), QString()); // stored only with 設定
        control<QLineEdit>(&user, QStringLiteral("txtName"))->clear();
        click(&user, "cmdSettei");
        QCOMPARE(Sjis::decode(settingRecord(u, 25).mid(4, 6)), StrShift(QStringLiteral("SET"), QStringLiteral("abc123")));
        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().text(25), QStringLiteral("abc123"));

        // With a password set, the current one must be given.
        frmPass pass(u.ctx(), user);
        QVERIFY(!control<QLineEdit>(&pass, QStringLiteral("txtPass0"))->isHidden());
        control<QLineEdit>(&pass, QStringLiteral("txtPass0"))->setText(QStringLiteral("wrong"));
        QCOMPARE(control<QLineEdit>(&pass, QStringLiteral("txtPass0"))->displayText(), QStringLiteral("*****"));
        click(&pass, "cmdHenko");
        QCOMPARE(u.box().shown().last().text, QStringLiteral("元のパスワードに正しいパスワードを入力してください"));
        QCOMPARE(u.box().shown().last().title, QStringLiteral("パスワードが違います"));
        QCOMPARE(pass.result(), int(QDialog::Rejected));
    }

    // Each box stands under its heading and the group name under "掲示板名".
    void boardChoiceHeadings()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        frmKeijiban boards(u.ctx(), *w);
        boards.show();
        QVERIFY(QTest::qWaitForWindowExposed(&boards));
        auto indicator = [&](QCheckBox* box) {
            QStyleOptionButton opt;
            opt.initFrom(box);
            const QRect r = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, box);
            return QRect(box->mapTo(&boards, r.topLeft()), r.size());
        };
        auto caption = [&](QCheckBox* box) {
            QStyleOptionButton opt;
            opt.initFrom(box);
            const QRect r = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, box);
            return QRect(box->mapTo(&boards, r.topLeft()), r.size());
        };
        auto placed = [&](const char* name) {
            QWidget* label = control<QLabel>(&boards, QString::fromLatin1(name));
            return QRect(label->mapTo(&boards, QPoint(0, 0)), label->size());
        };
        for (int n : {1, 2}) {
            auto* login = control<QCheckBox>(&boards, QStringLiteral("chkLogin%1").arg(n));
            auto* read = control<QCheckBox>(&boards, QStringLiteral("chkRead%1").arg(n));
            QVERIFY(qAbs(placed("lblLoginHeading").center().x() - indicator(login).center().x()) <= 2);
            QVERIFY(qAbs(placed("lblReadHeading").center().x() - indicator(read).center().x()) <= 2);
            QVERIFY(placed("lblNameHeading").left() >= indicator(login).right());
            QVERIFY(qAbs(placed("lblNameHeading").left() - caption(login).left()) <= 4);
            QVERIFY(placed("lblReadHeading").left() > caption(login).left());
        }
    }

    void boardChoice()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared, QStringLiteral("22111111111111111111"));
        QCOMPARE(Fs::setReadOnly(shared.board2, true), 0);
        frmKeijiban boards(u.ctx(), *w);
        auto* read1 = control<QCheckBox>(&boards, QStringLiteral("chkRead1"));
        auto* login1 = control<QCheckBox>(&boards, QStringLiteral("chkLogin1"));
        auto* login2 = control<QCheckBox>(&boards, QStringLiteral("chkLogin2"));
        QVERIFY(read1->isChecked() && login1->isChecked() && login1->isEnabled());
        QCOMPARE(login2->text(), QStringLiteral("営業部(読み取り専用)"));

        // The read-only board refuses a login.
        login2->setChecked(false);
        login2->click();
        QVERIFY(!login2->isChecked());
        QCOMPARE(u.box().shown().last().text, QStringLiteral("この掲示板ファイルは、読み取り専用ファイルのため、\nログインすることは出来ません"));
        QCOMPARE(u.box().shown().last().title, QStringLiteral("ログイン出来ません"));

        // Not read: login greyed and stored as off although it stayed checked.
        read1->click();
        QVERIFY(!login1->isEnabled());
        QVERIFY(login1->isChecked());
        click(&boards, "cmdOK");
        QCOMPARE(u.ctx().settings().text(23).left(3), QStringLiteral("121"));
        QCOMPARE(u.ctx().settings().text(24).left(3), QStringLiteral("111"));
        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().text(24), QStringLiteral("11111111111111111111"));
    }

    void boardLeftWhileRunningIsLoggedOut_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("login cleared") << "login";
        QTest::newRow("board no longer read") << "read";
        QTest::newRow("another board list") << "list";
    }

    void boardLeftWhileRunningIsLoggedOut()
    {
        // Logged in on board 1 at start, the user stops using it while the
        // program runs: the row must not stay logged in after the exit, whose
        // logout walks only the boards chosen then.
        QFETCH(QString, how);
        SharedFolder shared;
        TestUser u;
        u.loadSettings();
        u.ctx().iniFile().store(26, kMe);
        auto w = configuredMain(u, shared, QStringLiteral("22111111111111111111"));
        QCOMPARE(shared.myLogin(), QStringLiteral("1"));
        if (how == QLatin1String("list")) {
            const QString other = shared.dir.filePath(QStringLiteral("ban2.txt"));
            QCOMPARE(TextFile::writeLines(other, {QStringLiteral("2,\"営業部\",\"%1\"").arg(shared.board2)}), 0);
            u.ctx().iniFile().store(19, other);
            w->reloadBoards();
        } else {
            frmKeijiban boards(u.ctx(), *w);
            control<QCheckBox>(&boards, how == QLatin1String("login") ? QStringLiteral("chkLogin1")
                                                                      : QStringLiteral("chkRead1"))
                ->click();
            click(&boards, "cmdOK");
        }
        QCOMPARE(shared.myLogin(), QStringLiteral("0"));
        w->unload();
        QCOMPARE(shared.myLogin(), QStringLiteral("0"));
        const QStringList others = TextFile::readLines(shared.board1).lines;
        QCOMPARE(QuotedCsv::parseLine(others.value(0)).fields.value(2), QStringLiteral("1")); // 佐藤花子 untouched
        QVERIFY2(u.box().shown().isEmpty(), qPrintable(u.box().texts().join(u'|')));
    }

    void mailPlaceFolder()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        frmFilePath d(u.ctx(), *w);
        u.dialogs().queuePath(u.folder() + QStringLiteral("/"));
        click(&d, "cmdMail");
        QCOMPARE(u.box().shown().last().text, QStringLiteral("Porluneのインストール先と同じフォルダは選択出来ません"));
        QCOMPARE(u.box().shown().last().title, QStringLiteral("フォルダ指定エラー"));
        QCOMPARE(u.ctx().settings().text(29), QString());
        QCOMPARE(control<QLabel>(&d, QStringLiteral("lblMail"))->text(), QString());

        const QString mail = shared.dir.filePath(QStringLiteral("mail"));
        QDir().mkpath(mail);
        u.dialogs().queuePath(mail + QStringLiteral("/"));
        click(&d, "cmdMail");
        QCOMPARE(u.ctx().settings().text(29), mail);
        u.dialogs().queuePath(QStringLiteral("/"));
        click(&d, "cmdMail");
        QCOMPARE(u.ctx().settings().text(29), QStringLiteral("/")); // a root keeps its separator
        click(&d, "cmdMail"); // cancelled: unchanged
        QCOMPARE(u.ctx().settings().text(29), QStringLiteral("/"));
    }

    void sharedListsMustExistAndRefillTheBoxes()
    {
        SharedFolder shared;
        TestUser u;
        TextFile::writeLines(QDir(u.folder()).filePath(QStringLiteral("where.ini")), {QStringLiteral("郵便局")});
        auto w = configuredMain(u, shared);
        frmFilePath d(u.ctx(), *w);
        u.dialogs().queuePath(shared.dir.filePath(QStringLiteral("none.txt")));
        click(&d, "cmdIkisaki");
        QCOMPARE(u.box().shown().last().text, QStringLiteral("指定されたファイルは存在しませんでした"));
        QCOMPARE(u.ctx().settings().text(20), QString());
        // The dialog started in the board list's folder with the standard name.
        QCOMPARE(u.dialogs().asked().last().dir, shared.dir.filePath(QStringLiteral("where.txt")));

        u.dialogs().queuePath(shared.whereTxt);
        click(&d, "cmdIkisaki");
        QCOMPARE(u.ctx().settings().text(20), shared.whereTxt);
        auto* box = control<QComboBox>(w.get(), QStringLiteral("cboIkisaki"));
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(0), QStringLiteral("郵便局"));
        QCOMPARE(box->itemText(1), QStringLiteral("会議室"));
        QCOMPARE(box->itemText(2), QString());
    }

    void ownFilesAreCreatedWhenMissing()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        frmFilePath2 d(u.ctx(), *w);
        const QString ftp = shared.dir.filePath(QStringLiteral("ftpset.txt"));
        u.dialogs().queuePath(ftp);
        click(&d, "cmdFTP");
        // Asked with a dialog that takes a new name (an open dialog refuses one).
        QCOMPARE(u.dialogs().asked().last().kind, QueuedFileDialog::Kind::ToUse);
        QVERIFY(Fs::isFile(ftp));
        QCOMPARE(Fs::length(ftp), 0);
        QCOMPARE(u.ctx().settings().text(81), ftp);
        QCOMPARE(control<QLabel>(&d, QStringLiteral("lblFTP"))->text(), ftp);

        const QString log = shared.dir.filePath(QStringLiteral("logs/msglog.txt")); // folder missing
        u.dialogs().queuePath(log);
        click(&d, "cmdMsg");
        QCOMPARE(u.box().shown().last().text, QStringLiteral("(frmFilePath2_cmdMsg_Click)") + log
                                                 + QStringLiteral(" open error! err code = 2"));
        QCOMPARE(u.ctx().settings().text(32), QDir(u.folder()).filePath(QStringLiteral("msglog.txt")));
    }

    void pathTheSettingsFileCannotHoldChangesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("setting");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("fileName"); // empty: the folder itself is chosen
        QTest::addColumn<int>("error");
        QTest::newRow("board list, a letter Shift-JIS lacks")
            << QStringLiteral("cmdKeijiban") << 19 << QStringLiteral("lblKeijiban") << QStringLiteral("café")
            << QStringLiteral("ban.txt") << EILSEQ;
        QTest::newRow("own file, wave dash typed on Linux")
            << QStringLiteral("cmdFTP") << 81 << QStringLiteral("lblFTP") << QStringLiteral("本社〜支社")
            << QStringLiteral("ftpset.txt") << EILSEQ;
        QTest::newRow("mail place over 124 bytes")
            << QStringLiteral("cmdMail") << 29 << QStringLiteral("lblMail") << QString(60, QChar(u'郵'))
            << QString() << EOVERFLOW;
    }

    void pathTheSettingsFileCannotHoldChangesNothing()
    {
        QFETCH(QString, button);
        QFETCH(int, setting);
        QFETCH(QString, label);
        QFETCH(QString, folderName);
        QFETCH(QString, fileName);
        QFETCH(int, error);
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        const QString folder = shared.dir.filePath(folderName);
        QVERIFY(QDir().mkpath(folder));
        QString chosen = folder;
        if (!fileName.isEmpty()) {
            chosen = QDir(folder).filePath(fileName);
            if (setting == 19)
                QVERIFY(QFile::copy(shared.banList, chosen)); // a shared list must exist
        }
        const bool existed = Fs::exists(chosen);
        const QString before = u.ctx().settings().text(setting);
        const QByteArray record = settingRecord(u, setting);

        std::unique_ptr<QDialog> d;
        if (setting == 81)
            d = std::make_unique<frmFilePath2>(u.ctx(), *w);
        else
            d = std::make_unique<frmFilePath>(u.ctx(), *w);
        const QString shownBefore = control<QLabel>(d.get(), label)->text();
        const qsizetype boxes = u.box().shown().size();
        u.dialogs().queuePath(chosen);
        click(d.get(), button.toLatin1().constData());

        QCOMPARE(u.box().texts().mid(boxes),
                 QStringList {QStringLiteral("(Inifile_Write)") + u.ctx().settingsPath()
                              + QStringLiteral(" write error! err code = ") + QString::number(error)});
        QCOMPARE(u.ctx().settings().text(setting), before);
        QCOMPARE(settingRecord(u, setting), record);
        QCOMPARE(control<QLabel>(d.get(), label)->text(), shownBefore);
        QCOMPARE(Fs::exists(chosen), existed); // an own file is not created either
    }

    void personalLists()
    {
        SharedFolder shared;
        TestUser u;
        auto w = configuredMain(u, shared);
        frmKobetsu d(u.ctx(), *w);
        const QString where = QDir(u.folder()).filePath(QStringLiteral("where.ini"));
        QVERIFY(Fs::isFile(where)); // the first tab's file is created empty
        auto* memo = control<QPlainTextEdit>(&d, QStringLiteral("txtMemo"));
        memo->setPlainText(QStringLiteral("郵便局\n銀行\n"));
        click(&d, "cmdWrite");
        QCOMPARE(Fs::readBytes(where), Sjis::encode(QStringLiteral("郵便局\r\n銀行\r\n\r\n")));
        QCOMPARE(u.box().shown().last().text, QStringLiteral("書き込まれた内容は、次回起動時より反映されます"));
        QCOMPARE(u.box().shown().last().icon, MsgIcon::Information);

        auto* tabs = control<QTabBar>(&d, QStringLiteral("TabStrip1"));
        tabs->setCurrentIndex(2);
        memo->setPlainText(QStringLiteral("お疲れ様です。"));
        const qsizetype boxes = u.box().shown().size();
        click(&d, "cmdWrite");
        QCOMPARE(u.box().shown().size(), boxes); // templates: no message
        QCOMPARE(Fs::readBytes(QDir(u.folder()).filePath(QStringLiteral("template.ini"))),
                 Sjis::encode(QStringLiteral("お疲れ様です。\r\n")));
        tabs->setCurrentIndex(0);
        QCOMPARE(memo->toPlainText(), QStringLiteral("郵便局\n銀行\n\n"));

        // A list that cannot be read shows an empty box; writing it would
        // replace the list with nothing, so writing is refused.
        const QString ret = QDir(u.folder()).filePath(QStringLiteral("return.ini"));
        QVERIFY(QFile::link(QStringLiteral("return.ini"), ret)); // a link to itself: ELOOP
        tabs->setCurrentIndex(1);
        QCOMPARE(u.box().shown().last().text,
                 QStringLiteral("(frmKobetsu_TabStrip1_Click") + ret + QStringLiteral(" open error! err code = ")
                     + QString::number(ELOOP));
        memo->setPlainText(QStringLiteral("すぐ戻ります"));
        click(&d, "cmdWrite");
        QCOMPARE(u.box().shown().last().text,
                 QStringLiteral("(frmKobetsu_cmdWrite_Click") + ret + QStringLiteral(" open error! err code = ")
                     + QString::number(ELOOP));
        QCOMPARE(QFileInfo(ret).symLinkTarget(), QDir(u.folder()).filePath(QStringLiteral("return.ini")));

        // A list whose file cannot be opened for output is an open error, not a
        // write error (here a folder took the file's name after it was read).
        tabs->setCurrentIndex(0);
        QVERIFY(QFile::remove(where) && QDir().mkdir(where));
        click(&d, "cmdWrite");
        QCOMPARE(u.box().shown().last().text,
                 QStringLiteral("(frmKobetsu_cmdWrite_Click") + where + QStringLiteral(" open error! err code = ")
                     + QString::number(EISDIR));
    }
};

PORLUNE_TEST_MAIN(TestDialogs)

#include "tst_dialogs.moc"
