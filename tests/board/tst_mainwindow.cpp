#include "board/BoardAccess.h"
#include "board/frmMain.h"
#include "dialogs/frmUser.h"
#include "msglog/MessageLog.h"
#include "msglog/frmMsgView.h"
#include "platform/FileOps.h"
#include "platform/SharedClaim.h"
#include "platform/QuotedCsv.h"
#include "platform/SystemColors.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "platform/Twips.h"
#include "support/Controls.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMessageBox>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>
#include <QTableWidget>

#include <memory>

namespace {

const QString kMe = QStringLiteral("山田太郎");

QString rowLine(const QString& name, const QString& where, const QString& login,
                const QString& back = QString(), const QString& ext = QString(), const QString& mail = QString())
{
    return QuotedCsv::formatTextLine({name, where, login, QStringLiteral("12/09 18:00"), back, ext, mail});
}

// A small office in a shared folder of the user's own: three boards, the
// second not shown, the user on boards 1 and 3.
struct Office {
    explicit Office(TestUser& u) : user(u)
    {
        share = QDir(u.folder()).filePath(QStringLiteral("share"));
        QDir().mkpath(share);
        board1 = QDir(share).filePath(QStringLiteral("soumu.iki"));
        board2 = QDir(share).filePath(QStringLiteral("jinji.iki"));
        board3 = QDir(share).filePath(QStringLiteral("eigyo.iki"));
        TextFile::writeLines(board1, {rowLine(kMe, QStringLiteral("帰宅しました"), QStringLiteral("0"), QString(), QStringLiteral("101")),
                                      rowLine(QStringLiteral("佐藤花子"), QStringLiteral("席にいます"), QStringLiteral("1"), QString(), QStringLiteral("102"), QStringLiteral("sato@example.jp")),
                                      rowLine(QStringLiteral("区切り線"), QString(), QStringLiteral("9")),
                                      rowLine(QStringLiteral("鈴木一郎"), QStringLiteral("会議, 3F"), QStringLiteral("0"))});
        TextFile::writeLines(board2, {rowLine(QStringLiteral("人事部長"), QStringLiteral("出張"), QStringLiteral("0"))});
        TextFile::writeLines(board3, {rowLine(QStringLiteral("中村翔太"), QStringLiteral("客先"), QStringLiteral("1")),
                                      rowLine(kMe, QString(), QStringLiteral("0"))});
        banList = QDir(share).filePath(QStringLiteral("ban.txt"));
        TextFile::writeLines(banList, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board1),
                                       QStringLiteral("2,\"人事部\",\"%1\"").arg(board2),
                                       QStringLiteral("3,\"営業部\",\"%1\"").arg(board3)});
        u.loadSettings();
        IniFile& ini = u.ctx().iniFile();
        ini.store(19, banList);
        ini.store(23, QStringLiteral("21211111111111111111"));
        ini.store(24, QStringLiteral("21211111111111111111"));
        ini.store(26, kMe);
        ini.store(27, QStringLiteral("101"));
        ini.store(28, QStringLiteral("yamada@example.jp"));
        ini.store(52, QStringLiteral("1"));
        ini.store(41, QStringLiteral("0")); // refreshes run by hand
        ini.store(37, QStringLiteral("0"));
    }

    std::unique_ptr<frmMain> open()
    {
        auto w = std::make_unique<frmMain>(user.ctx());
        w->Form_Load();
        return w;
    }

    QList<BoardRow> rows(const QString& path) const
    {
        QList<BoardRow> out;
        for (const QString& line : TextFile::readLines(path).lines)
            out.append(BoardRow::fromFields(QuotedCsv::parseLine(line).fields));
        return out;
    }

    TestUser& user;
    QString share, board1, board2, board3, banList;
};

QAction* action(QWidget* w, const char* name)
{
    return control<QAction>(w, name);
}

QString cell(QTableWidget* g, int row, int col)
{
    QTableWidgetItem* i = g->item(row, col);
    return i ? i->text() : QString();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void gridShowsRowsInTheirColours()
    {
        TestUser u;
        Office office(u);
        IniFile& ini = u.ctx().iniFile();
        ini.store(69, QString::number(0xE0FFFF)); // logged-in background (BGR)
        ini.store(70, QString::number(0x000080)); // logged-in text
        ini.store(71, QString::number(0xC0C0C0)); // logged-out background
        auto w = office.open();
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");

        QCOMPARE(grid->columnCount(), 7);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("ﾛｸﾞｲﾝ"));
        QCOMPARE(grid->horizontalHeaderItem(6)->text(), QStringLiteral("ﾒｰﾙｱﾄﾞﾚｽ"));
        QCOMPARE(grid->rowCount(), 4);
        // Row 1: the user, logged in by the load.
        QCOMPARE(cell(grid, 0, 0), QStringLiteral("*"));
        QCOMPARE(cell(grid, 0, 1), kMe);
        QCOMPARE(cell(grid, 0, 3), QStringLiteral("06/14 09:05"));
        QCOMPARE(grid->item(0, 2)->background().color(), QColor(0xFF, 0xFF, 0xE0));
        QCOMPARE(grid->item(0, 2)->foreground().color(), QColor(0x80, 0, 0));
        // Row 4: logged out: a blank, the logged-out background, the system text colour.
        QCOMPARE(cell(grid, 3, 0), QStringLiteral(" "));
        QCOMPARE(cell(grid, 3, 2), QStringLiteral("会議, 3F"));
        QCOMPARE(grid->item(3, 1)->background().color(), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(grid->item(3, 1)->foreground().color(), QApplication::palette().color(QPalette::Text));
        // Row 3: a separator across every column, in the logged-in colours.
        for (int c = 0; c < 7; ++c)
            QCOMPARE(cell(grid, 2, c), QString(57, u'-'));
        QCOMPARE(grid->item(2, 0)->background().color(), QColor(0xFF, 0xFF, 0xE0));
        QCOMPARE(grid->rowHeight(0), Twips::toPixels(225));
        QCOMPARE(grid->columnWidth(2), Twips::toPixels(1605));

        QCOMPARE(w->windowTitle(), QStringLiteral("Porlune Ver1.00 (ﾃﾞｰﾀ取得日時:06/14 09:05)"));
    }

    void groupSwitchSkipsBoardsNotShown()
    {
        TestUser u;
        Office office(u);
        auto w = office.open();
        auto* group = control<QComboBox>(w.get(), "cboGroup");
        QCOMPARE(group->count(), 2);
        QCOMPARE(group->itemText(0), QStringLiteral("総務部"));
        QCOMPARE(group->itemText(1), QStringLiteral("営業部"));
        group->setCurrentIndex(1);
        w->cboGroup_Click();
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(cell(grid, 0, 1), QStringLiteral("中村翔太"));
        QCOMPARE(u.ctx().board().currentPath, office.board3);
    }

    void noBoardChosenShowsOneEmptyItemAndHeaderOnly_data()
    {
        QTest::addColumn<bool>("afterwards"); // boards shown at first, then all taken away
        QTest::newRow("none at start") << false;
        QTest::newRow("all taken away while running") << true;
    }

    void noBoardChosenShowsOneEmptyItemAndHeaderOnly()
    {
        QFETCH(bool, afterwards);
        TestUser u;
        std::unique_ptr<Office> office;
        if (afterwards)
            office = std::make_unique<Office>(u);
        else
            u.loadSettings();
        auto w = std::make_unique<frmMain>(u.ctx());
        w->Form_Load();
        if (afterwards) {
            QCOMPARE(control<QTableWidget>(w.get(), "DataGrid1")->rowCount(), 4);
            // As the board login dialog leaves it when every board is unticked.
            u.ctx().settings().setText(SettingNo::BoardShown, QStringLiteral("11111111111111111111"));
            w->reloadBoards();
        }
        auto* group = control<QComboBox>(w.get(), "cboGroup");
        QCOMPARE(group->count(), 1);
        QCOMPARE(group->itemText(0), QString());
        QCOMPARE(control<QTableWidget>(w.get(), "DataGrid1")->rowCount(), 0);
        QVERIFY(u.box().shown().isEmpty());
    }

    void functionKeysSelectGroups()
    {
        TestUser u;
        Office office(u);
        // A third shown group, so F5 has three items to miss.
        u.ctx().iniFile().store(23, QStringLiteral("22211111111111111111"));
        auto w = office.open();
        auto* group = control<QComboBox>(w.get(), "cboGroup");
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QCOMPARE(group->count(), 3);
        QTest::keyClick(grid, Qt::Key_F2);
        QCOMPARE(group->currentIndex(), 1);
        QCOMPARE(cell(grid, 0, 1), QStringLiteral("人事部長"));
        QTest::keyClick(group, Qt::Key_F5);
        QCOMPARE(group->currentIndex(), 1);
        QCOMPARE(cell(grid, 0, 1), QStringLiteral("人事部長"));
        QTest::keyClick(grid, Qt::Key_F1);
        QCOMPARE(group->currentIndex(), 0);
    }

    void hiddenColumnStaysHiddenAcrossARestartWithItsWidth()
    {
        TestUser u;
        Office office(u);
        {
            auto w = office.open();
            QAction* col3 = action(w.get(), "mnuHCol3");
            QVERIFY(col3->isChecked());
            col3->trigger();
            QVERIFY(!col3->isChecked());
            QVERIFY(control<QTableWidget>(w.get(), "DataGrid1")->isColumnHidden(3));
            w->unload();
        }
        TestUser again(u.folder());
        again.loadSettings();
        QCOMPARE(again.ctx().settings().intValue(48), 0);
        QCOMPARE(again.ctx().settings().realValue(8), 1095.0);
        auto w = std::make_unique<frmMain>(again.ctx());
        w->Form_Load();
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QVERIFY(grid->isColumnHidden(3));
        QVERIFY(!action(w.get(), "mnuHCol3")->isChecked());
        action(w.get(), "mnuHCol3")->trigger();
        QVERIFY(!grid->isColumnHidden(3));
        QCOMPARE(grid->columnWidth(3), Twips::toPixels(1095));
        QCOMPARE(again.ctx().settings().intValue(48), 1);
    }

    void windowComesBackWhereItWasLeft()
    {
        // Size and place are stored at exit and given back at the next start;
        // a window nobody moved must come back at the same place and size.
        TestUser u;
        Office office(u);
        IniFile& ini = u.ctx().iniFile();
        const int stored[4] = {6000, 9000, 1500, 1200}; // height, width, left, top in twips
        for (int k = 0; k < 4; ++k)
            ini.store(1 + k, QString::number(stored[k]));
        for (int start = 1; start <= 3; ++start) {
            TestUser again(u.folder());
            again.loadSettings();
            auto w = std::make_unique<frmMain>(again.ctx());
            w->Form_Load();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            w->unload();
            TestUser after(u.folder());
            after.loadSettings();
            for (int k = 0; k < 4; ++k) {
                const int px = Twips::toPixels(after.ctx().settings().intValue(1 + k));
                QVERIFY2(std::abs(px - Twips::toPixels(stored[k])) <= 1,
                         qPrintable(QStringLiteral("start %1, setting %2: %3 twips").arg(start).arg(1 + k)
                                        .arg(after.ctx().settings().intValue(1 + k))));
            }
        }
    }

    void endRequestedDuringABoardChangeStillLogsOut_data()
    {
        // The change under way: the load's login, the set button, or the login
        // of the user dialog's OK (a modal dialog is open then).
        QTest::addColumn<QString>("during");
        QTest::addColumn<bool>("boxOpen"); // a modal box waits for the user at that moment
        QTest::newRow("during the load's login") << "load" << false;
        QTest::newRow("during the set button") << "set" << false;
        QTest::newRow("during the user dialog's login") << "user" << false;
        QTest::newRow("during the load's login, a box open") << "load" << true;
        QTest::newRow("during the set button, a box open") << "set" << true;
    }

    void endRequestedDuringABoardChangeStillLogsOut()
    {
        // A board change waits while an older copy rewrites the board in place,
        // and the wait lets events run: the tray's end item or a terminate
        // signal may ask for the unload right then. The user must still end up
        // logged out of every board, without an error box, and the window must
        // not stay on screen after its unload.
        QFETCH(QString, during);
        QFETCH(bool, boxOpen);
        TestUser u;
        Office office(u);
        auto w = std::make_unique<frmMain>(u.ctx());
        QSignalSpy ended(w.get(), &frmMain::unloaded);
        const bool atStart = during == QLatin1String("load");
        if (!atStart)
            w->Form_Load();
        const QByteArray content = Fs::readBytes(office.board1);
        QCOMPARE(Fs::writeBytes(office.board1, QByteArray()), 0);
        bool asked = false;
        u.ctx().board().waits.pause = [&](int ms) {
            if (!asked) {
                asked = true;
                QCOMPARE(Fs::writeBytes(office.board1, content), 0); // the older copy is done
                if (boxOpen) {
                    // A box waiting for the user inside the change: it must
                    // not hold up the end, nor may the end leave the change
                    // to write after the logout.
                    QMessageBox box(QMessageBox::Critical, QStringLiteral("掲示板アクセスエラー"),
                                    QStringLiteral("共有掲示板ファイルに異常があります"));
                    box.setModal(true);
                    box.show();
                    w->unload();
                    QVERIFY(!box.isVisible());
                } else {
                    w->unload();
                }
            }
            SharedClaim::waitLettingEventsRun(std::min(ms, 5));
        };
        std::unique_ptr<frmUser> dialog;
        if (atStart) {
            w->Form_Load();
            QVERIFY(!w->isVisible()); // the end follows the load: nothing shown meanwhile
        } else if (during == QLatin1String("set")) {
            control<QPushButton>(w.get(), "cmdSettei")->click();
        } else {
            dialog = std::make_unique<frmUser>(u.ctx(), *w);
            dialog->setModal(true);
            dialog->show();
            control<QPushButton>(dialog.get(), "cmdSettei")->click();
        }
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(asked);
        QCOMPARE(office.rows(office.board1)[0].login, QStringLiteral("0"));
        QCOMPARE(office.rows(office.board3)[1].login, QStringLiteral("0"));
        QVERIFY2(u.box().shown().isEmpty(), qPrintable(u.box().texts().join(u'|')));
        QVERIFY(!w->isVisible());
        QVERIFY(!w->Timer1.isActive() && !w->Timer2.isActive() && !w->Timer4.isActive());
    }

    void setActionChangesOwnRowsOnEveryBoardAndLogsOnce()
    {
        TestUser u;
        Office office(u);
        const QString log = QDir(u.folder()).filePath(QStringLiteral("golog.txt"));
        QCOMPARE(Fs::writeBytes(log, QByteArray()), 0);
        u.ctx().iniFile().store(65, QStringLiteral("1"));
        auto w = office.open();
        u.clock().advance(3600);
        control<QComboBox>(w.get(), "cboIkisaki")->setEditText(QStringLiteral("打合せ, 3F"));
        control<QComboBox>(w.get(), "cboModori")->setEditText(QStringLiteral("11:00"));
        QTest::mouseClick(control<QPushButton>(w.get(), "cmdSettei"), Qt::LeftButton);

        for (const QString& path : {office.board1, office.board3}) {
            int mine = 0;
            for (const BoardRow& r : office.rows(path)) {
                if (r.name != kMe)
                    continue;
                ++mine;
                QCOMPARE(r.destination, QStringLiteral("打合せ, 3F"));
                QCOMPARE(r.expectedReturn, QStringLiteral("11:00"));
                QCOMPARE(r.setTime, QStringLiteral("06/14 10:05"));
                QCOMPARE(r.login, QStringLiteral("1"));
                QCOMPARE(r.mailAddress, QStringLiteral("yamada@example.jp"));
            }
            QCOMPARE(mine, 1);
        }
        // The board not shown is not touched; other people's rows are kept.
        QCOMPARE(office.rows(office.board2).first().destination, QStringLiteral("出張"));
        QCOMPARE(office.rows(office.board1)[1].destination, QStringLiteral("席にいます"));
        QCOMPARE(TextFile::readLines(log).lines,
                 QStringList {QStringLiteral("設定日時(2006/06/14 10:05:07) 名前：山田太郎 行き先：打合せ, 3F,11:00,101,yamada@example.jp")});
        QCOMPARE(cell(control<QTableWidget>(w.get(), "DataGrid1"), 0, 2), QStringLiteral("打合せ, 3F"));
        QVERIFY(u.box().shown().isEmpty());
    }

    void missingLogIsReportedAndRowsStillChange()
    {
        TestUser u;
        Office office(u);
        u.ctx().iniFile().store(65, QStringLiteral("1"));
        u.ctx().iniFile().store(66, QStringLiteral("1"));
        u.ctx().iniFile().store(67, QStringLiteral("席にいます"));
        auto w = office.open();
        control<QComboBox>(w.get(), "cboIkisaki")->setEditText(QStringLiteral("外出"));
        w->cmdSettei_Click();
        QCOMPARE(office.rows(office.board1).first().destination, QStringLiteral("外出"));
        QCOMPARE(u.box().shown().size(), 1);
        QCOMPARE(u.box().shown()[0].text, QStringLiteral("ログを書き込むファイルが見つかりません\n[ファイル]-[個別ファイルの場所の設定]を確認してください"));
        QCOMPARE(u.box().shown()[0].title, QStringLiteral("ファイルが見つかりません"));
        QVERIFY(u.box().shown()[0].systemModal);
        QVERIFY(!Fs::exists(QDir(u.folder()).filePath(QStringLiteral("golog.txt"))));
        // Setting 66 puts the set-in values into the boxes.
        QCOMPARE(control<QComboBox>(w.get(), "cboIkisaki")->currentText(), QStringLiteral("席にいます"));
    }

    void viewerMenuItemOpensOneViewer()
    {
        TestUser u;
        Office office(u);
        u.ctx().iniFile().store(37, QStringLiteral("30"));
        const QString log = QDir(u.folder()).filePath(QStringLiteral("msglog.txt"));
        u.ctx().iniFile().store(32, log);
        auto w = office.open();
        QVERIFY(w->Timer1.isActive());
        QAction* item = action(w.get(), "mnuMview");
        QVERIFY(item->isEnabled());

        // No log yet: refused, nothing opens.
        u.box().clear();
        item->trigger();
        QCOMPARE(u.box().texts(), QStringList {QStringLiteral("メッセージログファイルが見つかりません\n"
                                                              "正しい、メッセージログファイルの場所を指定して下さい")});
        QCOMPARE(u.box().shown()[0].title, QStringLiteral("メッセージログ読み込みエラー"));
        QVERIFY(!w->viewer());
        QVERIFY(w->Timer1.isActive());

        TextFile::writeLines(log, MessageLog::sentRecord({QStringLiteral("佐藤花子")}, QStringLiteral("こんにちは"), kMe,
                                                         QStringLiteral("2006/06/14 10:20:30")));
        item->trigger();
        QPointer<frmMsgView> viewer = w->viewer();
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY(!viewer->isModal());
        QVERIFY(!w->Timer1.isActive()); // no message window pops up over the viewer
        QCOMPARE(viewer->log().size(), 1);
        // One viewer at a time: the item brings it back to the front.
        item->trigger();
        QCOMPARE(w->viewer(), viewer.data());
        QCOMPARE(u.box().shown().size(), 1);
        viewer->close();
        QTRY_VERIFY(!viewer);
        QVERIFY(w->Timer1.isActive());
    }

    void boxesListPersonalEntriesFirst()
    {
        TestUser u;
        Office office(u);
        TextFile::writeLines(QDir(u.folder()).filePath(QStringLiteral("where.ini")),
                             {QStringLiteral("郵便局"), QString(), QStringLiteral("銀行")});
        const QString common = QDir(office.share).filePath(QStringLiteral("where.txt"));
        TextFile::writeLines(common, {QStringLiteral("会議室"), QString(), QStringLiteral("外出")});
        u.ctx().iniFile().store(20, common);
        auto w = office.open();
        auto* box = control<QComboBox>(w.get(), "cboIkisaki");
        QStringList items;
        for (int k = 0; k < box->count(); ++k)
            items.append(box->itemText(k));
        QCOMPARE(items, QStringList({QStringLiteral("郵便局"), QStringLiteral("銀行"), QStringLiteral("会議室"),
                                     QString(), QStringLiteral("外出")}));
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(control<QComboBox>(w.get(), "cboModori")->count(), 0);
    }

    void refreshOfAnUnchangedBoardDoesNotRedraw()
    {
        TestUser u;
        Office office(u);
        auto w = office.open();
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QTableWidgetItem* before = grid->item(1, 1);
        u.clock().advance(120);
        w->cboGroup_Click();
        QCOMPARE(grid->item(1, 1), before); // same cells: not redrawn
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("09:07)")));

        // Another copy changes the board: the next refresh redraws.
        QList<BoardRow> rows = office.rows(office.board1);
        rows[1].destination = QStringLiteral("昼食");
        QStringList lines;
        for (const BoardRow& r : rows)
            lines.append(QuotedCsv::formatTextLine(r.fields()));
        QCOMPARE(TextFile::writeLines(office.board1, lines), 0);
        w->cboGroup_Click();
        QCOMPARE(cell(grid, 1, 2), QStringLiteral("昼食"));
    }

    void refreshTickDuringARefreshStartsNoOther()
    {
        // The refresh waits while the board stays empty and ends with the
        // damaged-board box; refresh ticks keep coming meanwhile (the wait and
        // the box let events run). A tick must not start a second refresh from
        // inside the first: each would wait and box again, nested ever deeper
        // for as long as the board stays damaged.
        TestUser u;
        Office office(u);
        auto w = office.open();
        Fs::remove(office.board1 + QStringLiteral(".bak"));
        QCOMPARE(Fs::writeBytes(office.board1, QByteArray()), 0);
        // One refresh of the damaged board on its own, for comparison.
        u.ctx().board().waits.pause = [](int) {};
        u.box().clear();
        w->Timer4_Timer(); // setting 41 is 0: every tick is due
        const QStringList alone = u.box().texts();
        QVERIFY(!alone.isEmpty());
        QVERIFY(alone.count(QStringLiteral("共有掲示板ファイルに異常があります")) == alone.size());

        int ticks = 0;
        u.ctx().board().waits.pause = [&](int) {
            if (ticks < 3) {
                ++ticks;
                w->Timer4_Timer();
            }
        };
        u.box().clear();
        w->Timer4_Timer();
        QCOMPARE(ticks, 3);
        QCOMPARE(u.box().texts(), alone);
    }

    void readOnlyBoardIsMarkedOnce()
    {
        TestUser u;
        Office office(u);
        auto w = office.open();
        QCOMPARE(Fs::setReadOnly(office.board1, true), 0);
        w->cboGroup_Click();
        w->cboGroup_Click();
        QCOMPARE(control<QComboBox>(w.get(), "cboGroup")->itemText(0), QStringLiteral("総務部(読み取り専用)"));
        QVERIFY(!action(w.get(), "mnuHokaSet")->isEnabled());
        QVERIFY(u.ctx().board().entries[0].readOnly);
    }

    void mailAddressCopy()
    {
        TestUser u;
        Office office(u);
        auto w = office.open();
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QApplication::clipboard()->setText(QStringLiteral("old"));
        grid->setCurrentCell(1, 0);
        action(w.get(), "mnuMeadoCopy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("sato@example.jp"));
        grid->setCurrentItem(nullptr);
        action(w.get(), "mnuMeadoCopy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString());
    }

    void closeButtonHidesAndTheEndItemLogsOut()
    {
        TestUser u;
        Office office(u);
        auto w = office.open();
        QSignalSpy ended(w.get(), &frmMain::unloaded);
        QCOMPARE(office.rows(office.board1).first().login, QStringLiteral("1"));
        // The window manager's close button.
        QVERIFY(w->windowHandle());
        w->windowHandle()->close();
        QVERIFY(w->isHidden());
        QCOMPARE(ended.count(), 0);
        QCOMPARE(office.rows(office.board1).first().login, QStringLiteral("1"));

        action(w.get(), "mnuEndSet")->trigger();
        QVERIFY(action(w.get(), "mnuEndSet2")->isChecked());
        u.ctx().iniFile().store(57, QStringLiteral("1")); // exit values, but not today
        action(w.get(), "mnuP_End")->trigger();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(office.rows(office.board1).first().login, QStringLiteral("0"));
        QCOMPARE(office.rows(office.board3)[1].login, QStringLiteral("0"));
        QCOMPARE(office.rows(office.board1).first().destination, QStringLiteral("帰宅しました"));
        QVERIFY(!w->Timer1.isActive() && !w->Timer4.isActive());
    }

    void timersFollowTheirSettings()
    {
        TestUser u;
        Office office(u);
        IniFile& ini = u.ctx().iniFile();
        ini.store(37, QStringLiteral("30"));
        ini.store(39, QStringLiteral("1"));
        ini.store(40, QStringLiteral("0"));
        ini.store(41, QStringLiteral("2"));
        ini.store(82, QStringLiteral("0"));
        ini.store(104, QStringLiteral("5"));
        auto w = office.open();
        QVERIFY(w->Timer1.isActive());
        QVERIFY(w->Timer2.isActive());
        QVERIFY(!w->Timer3.isActive());
        QVERIFY(w->Timer4.isActive());
        QVERIFY(!w->Timer5.isActive());
        QVERIFY(w->Timer6.isActive());
        QCOMPARE(w->Timer4.interval(), 1000);
        QCOMPARE(w->Timer6.interval(), 10000);
        w->pauseMessageTimers();
        QVERIFY(!w->Timer1.isActive() && !w->Timer2.isActive());
        w->resumeMessageTimers();
        QVERIFY(w->Timer1.isActive() && w->Timer2.isActive());

        // Timer4 refreshes once its count passes setting 41.
        QList<BoardRow> rows = office.rows(office.board1);
        rows[1].destination = QStringLiteral("昼食");
        QStringList lines;
        for (const BoardRow& r : rows)
            lines.append(QuotedCsv::formatTextLine(r.fields()));
        TextFile::writeLines(office.board1, lines);
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        w->Timer4_Timer();
        w->Timer4_Timer();
        QCOMPARE(cell(grid, 1, 2), QStringLiteral("席にいます"));
        w->Timer4_Timer();
        QCOMPARE(cell(grid, 1, 2), QStringLiteral("昼食"));
    }
};

// The real program in a demo office, as the run script starts it.
class TestDemoOffice : public QObject
{
    Q_OBJECT

    // A demo office with the program copied into its folder.
    static void prepareDemoOffice(const QTemporaryDir& dir, QString* exe)
    {
        QProcess demo;
        demo.start(QStringLiteral(PORLUNE_DEMO_TOOL), {dir.path()});
        QVERIFY(demo.waitForFinished(30000));
        QCOMPARE(demo.exitCode(), 0);
        *exe = dir.filePath(QStringLiteral("Porlune"));
        QVERIFY(QFile::copy(QStringLiteral(PORLUNE_BINARY), *exe));
        QFile::setPermissions(*exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    static void startOffscreen(QProcess& program, const QString& exe)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(exe, {});
    }

private Q_SLOTS:
    void startAndCloseLogTheUserInAndOut()
    {
        QTemporaryDir dir;
        QString exe;
        prepareDemoOffice(dir, &exe);
        if (QTest::currentTestFailed())
            return;

        const QString boards[] = {dir.filePath(QStringLiteral("share/soumu.iki")),
                                  dir.filePath(QStringLiteral("share/eigyo.iki"))};
        auto myLogin = [&](const QString& path) {
            for (const QString& line : TextFile::readLines(path).lines) {
                const QStringList f = QuotedCsv::parseLine(line).fields;
                if (f.size() == 7 && f[0] == kMe)
                    return f[2];
            }
            return QString();
        };
        for (const QString& b : boards)
            QCOMPARE(myLogin(b), QStringLiteral("0"));

        QProcess program;
        startOffscreen(program, exe);
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(myLogin(boards[0]) == QLatin1String("1") && myLogin(boards[1]) == QLatin1String("1"), 20000);

        program.terminate(); // what log-off and shutdown send
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        for (const QString& b : boards)
            QCOMPARE(myLogin(b), QStringLiteral("0"));
        QVERIFY(Fs::length(dir.filePath(QStringLiteral("Porlune.INI"))) == 13824);
    }

    // The session ends while an error box waits for a user who has gone: the
    // program still ends, and what went wrong is shown at the next start.
    void endRequestedWhileAnErrorBoxIsOpen()
    {
        QTemporaryDir dir;
        QString exe;
        prepareDemoOffice(dir, &exe);
        if (QTest::currentTestFailed())
            return;
        // Boards nobody may write: the login at start shows an error box.
        for (const QString& name : {QStringLiteral("soumu.iki"), QStringLiteral("eigyo.iki")})
            QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("share/") + name), QFile::ReadOwner | QFile::ReadOther));
        const QString kept = dir.filePath(QStringLiteral("unloaderr.txt"));

        QProcess program;
        startOffscreen(program, exe);
        QVERIFY(program.waitForStarted());
        QTest::qWait(3000); // the box is up
        QVERIFY(program.state() == QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(15000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        const QString text = Sjis::decode(Fs::readBytes(kept));
        QVERIFY2(text.contains(QStringLiteral("(Ikifile_Write)")), qPrintable(text));

        QProcess again;
        startOffscreen(again, exe);
        QVERIFY(again.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!Fs::exists(kept), 20000); // taken to be shown
        again.kill();
        again.waitForFinished(5000);
    }

    // Started in a fresh program folder and ended with no user action, the
    // program leaves its settings file byte for byte as its first start wrote
    // it: no width or place drifts by rounding or by a style's minimum.
    void freshFolderEndsWithTheSettingsFileItStartedWith()
    {
        QTemporaryDir dir;
        const QString exe = dir.filePath(QStringLiteral("Porlune"));
        QVERIFY(QFile::copy(QStringLiteral(PORLUNE_BINARY), exe));
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString ini = dir.filePath(QStringLiteral("Porlune.INI"));

        for (int round = 0; round < 2; ++round) {
            QProcess program;
            startOffscreen(program, exe);
            QVERIFY(program.waitForStarted());
            // The first start fills in every default; the folders come last.
            QTRY_VERIFY_WITH_TIMEOUT(Fs::length(ini) == 13824 && Fs::isDir(dir.filePath(QStringLiteral("RCV"))), 20000);
            QTest::qWait(1500); // the window is shown and settled
            const QByteArray started = Fs::readBytes(ini);
            program.terminate();
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(Fs::readBytes(ini), started);
        }
    }
};

PORLUNE_TEST_MAIN(TestMainWindow, TestDemoOffice)

#include "tst_mainwindow.moc"
