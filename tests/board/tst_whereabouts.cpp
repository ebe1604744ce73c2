// Other people's whereabouts, the automatic input settings, start and exit
// whereabouts and the inactivity watch.
#include "BoardFixture.h"
#include "board/AbsenceWatch.h"
#include "board/BoardAccess.h"
#include "board/AutoInputSettings.h"
#include "board/OtherWhereabouts.h"
#include "board/frmAutoInput.h"
#include "board/frmIkisaki.h"
#include "board/frmMain.h"
#include "platform/FileOps.h"
#include "platform/SharedClaim.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "support/Controls.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <memory>

using namespace BoardFixture;

namespace {

const QString kMe = QStringLiteral("山田太郎");

// One user in an office of two boards in a shared folder (local or on the SMB
// share): board 1 with a few colleagues and a separator, board 2 with the user
// alone. Both are shown and logged in to.
struct Desk {
    explicit Desk(TestUser& u, const QString& folder) : user(u)
    {
        board1 = Paths::join(folder, QStringLiteral("soumu.iki"));
        board2 = Paths::join(folder, QStringLiteral("eigyo.iki"));
        writeRows(board1, {person(kMe, QStringLiteral("席にいます"), QStringLiteral("0")),
                           person(QStringLiteral("佐藤"), QStringLiteral("席にいます"), QStringLiteral("1")),
                           separator(),
                           person(QStringLiteral("鈴木"), QStringLiteral("会議"), QStringLiteral("0")),
                           person(QStringLiteral("田中"), QStringLiteral("外出"), QStringLiteral("1"))});
        writeRows(board2, {person(kMe, QStringLiteral("席にいます"), QStringLiteral("0"))});
        const QString ban = Paths::join(folder, QStringLiteral("ban.txt"));
        TextFile::writeLines(ban, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board1),
                                   QStringLiteral("2,\"営業部\",\"%1\"").arg(board2)});
        golog = u.ctx().programPath(QStringLiteral("golog.txt"));
        u.loadSettings();
        IniFile& ini = u.ctx().iniFile();
        ini.store(19, ban);
        ini.store(23, QStringLiteral("22111111111111111111"));
        ini.store(24, QStringLiteral("22111111111111111111"));
        ini.store(26, kMe);
        ini.store(27, QStringLiteral("101"));
        ini.store(28, QStringLiteral("yamada@example.jp"));
        ini.store(33, golog);
        ini.store(37, QStringLiteral("0"));
        ini.store(41, QStringLiteral("0"));
        ini.store(65, QStringLiteral("1"));
        u.ctx().board().waits.pause = [](int) {};
        TextFile::writeLines(u.ctx().programPath(QStringLiteral("where.ini")), {QStringLiteral("会議室A")});
    }

    std::unique_ptr<frmMain> open()
    {
        auto w = std::make_unique<frmMain>(user.ctx());
        w->Form_Load();
        return w;
    }

    QStringList logLines() const { return TextFile::readLines(golog).lines; }

    // Settings as a dialog saves them: number and stored text.
    void store(std::initializer_list<std::pair<int, const char*>> settings)
    {
        for (const auto& [number, text] : settings)
            user.ctx().iniFile().store(number, QString::fromUtf8(text));
    }

    TestUser& user;
    QString board1, board2, golog;
};

// Rows written as "name/login" for the matching table; "-" is a separator.
QList<BoardRow> rowsFrom(const QStringList& rowTexts)
{
    QList<BoardRow> rows;
    for (const QString& s : rowTexts)
        rows.append(s == QLatin1String("-") ? separator() : person(s.section(u'/', 0, 0), QStringLiteral("元"),
                                                                     s.section(u'/', 1, 1)));
    return rows;
}

QList<OtherWhereabouts::Pick> picksOf(const QList<BoardRow>& shown, const QList<int>& indices)
{
    QList<OtherWhereabouts::Pick> picks;
    for (int k : indices)
        picks.append({k, shown[k].name, shown[k].isSeparator()});
    return picks;
}

// Runs fn against the dialog that the next modal loop shows.
template<typename Dialog>
void whenShown(const std::function<void(Dialog*)>& fn)
{
    QTimer::singleShot(0, [fn] {
        Dialog* d = nullptr;
        QTRY_VERIFY((d = qobject_cast<Dialog*>(QApplication::activeModalWidget())) != nullptr);
        fn(d);
        if (d->isVisible())
            d->reject();
    });
}

} // namespace

class TestOtherWhereabouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void itemTexts()
    {
        const QList<BoardRow> rows = {person(QStringLiteral("佐藤"), QString(), QStringLiteral("1")),
                                      person(QStringLiteral("鈴木"), QString(), QStringLiteral("0")),
                                      separator(QStringLiteral("9")), separator(QString()),
                                      separator(QStringLiteral("x"))};
        const QString line(28, u'-');
        QCOMPARE(OtherWhereabouts::itemTexts(rows),
                 QStringList({QStringLiteral("*佐藤"), QStringLiteral(" 鈴木"), line, line, line}));
    }

    // How a selection made on the rows the list showed lands on the rows of
    // the board as it is when the set button is pressed.
    void selectionLandsOnTheNamedRows_data()
    {
        QTest::addColumn<QStringList>("shown");     // rows when the list was filled
        QTest::addColumn<QList<int>>("selected");   // list items selected
        QTest::addColumn<QStringList>("now");       // rows at the set
        QTest::addColumn<QStringList>("changed");   // names whose rows changed, in row order
        QTest::addColumn<QStringList>("notChanged");

        const QStringList office = {"佐藤/1", "-", "鈴木/0", "田中/1"};
        QTest::newRow("board unchanged") << office << QList<int>{0, 3} << office
                                         << QStringList{"佐藤", "田中"} << QStringList{};
        QTest::newRow("nothing selected") << office << QList<int>{} << office << QStringList{} << QStringList{};
        QTest::newRow("separator selected") << office << QList<int>{1} << office << QStringList{} << QStringList{};
        QTest::newRow("rows inserted above") << office << QList<int>{0, 2}
                                             << QStringList{"新人/0", "-", "佐藤/1", "-", "鈴木/0", "田中/1"}
                                             << QStringList{"佐藤", "鈴木"} << QStringList{};
        QTest::newRow("row removed") << office << QList<int>{2, 3} << QStringList{"佐藤/1", "-", "田中/1"}
                                     << QStringList{"田中"} << QStringList{"鈴木"};
        QTest::newRow("rows reordered") << office << QList<int>{0} << QStringList{"田中/1", "-", "鈴木/0", "佐藤/1"}
                                        << QStringList{"佐藤"} << QStringList{};
        QTest::newRow("name twice, not at its place") << QStringList{"佐藤/1", "鈴木/0"} << QList<int>{1}
                                                      << QStringList{"鈴木/1", "佐藤/1", "鈴木/0"}
                                                      << QStringList{} << QStringList{"鈴木"};
        QTest::newRow("name twice, at its place") << QStringList{"鈴木/1", "鈴木/0"} << QList<int>{1}
                                                  << QStringList{"鈴木/1", "鈴木/0"} << QStringList{"鈴木"}
                                                  << QStringList{};
        QTest::newRow("separator now where a person was") << office << QList<int>{0}
                                                          << QStringList{"-", "佐藤/1", "鈴木/0", "田中/1"}
                                                          << QStringList{"佐藤"} << QStringList{};
    }

    void selectionLandsOnTheNamedRows()
    {
        QFETCH(QStringList, shown);
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, now);
        QFETCH(QStringList, changed);
        QFETCH(QStringList, notChanged);
        const QList<BoardRow> before = rowsFrom(now);
        QList<BoardRow> rows = before;
        const OtherWhereabouts::Outcome out = OtherWhereabouts::apply(
            rows, picksOf(rowsFrom(shown), selected), QStringLiteral("外出"), QStringLiteral("15:00"),
            QStringLiteral("06/14 09:05"));
        QStringList got;
        for (int k = 0; k < rows.size(); ++k) {
            BoardRow expected = before[k];
            if (rows[k].destination == QStringLiteral("外出")) {
                got.append(rows[k].name);
                expected.destination = QStringLiteral("外出");
                expected.expectedReturn = QStringLiteral("15:00");
                expected.setTime = QStringLiteral("06/14 09:05");
                QCOMPARE(out.lastChanged >= k, true);
            }
            QCOMPARE(rows[k].fields(), expected.fields()); // name, login, extension and mail stay
        }
        QCOMPARE(got, changed);
        QCOMPARE(out.changed, changed.size());
        QCOMPARE(out.notChanged, notChanged);
        if (changed.isEmpty())
            QCOMPARE(out.lastChanged, -1);
    }

    // A right-click on a person's row preselects that person, on the header
    // nobody; the window opens at the click.
    void rightClickPreselects_data()
    {
        QTest::addColumn<int>("gridRow"); // -1: the header
        QTest::addColumn<bool>("rowAddedMeanwhile");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("person") << 1 << false << QStringList{QStringLiteral("*佐藤")};
        QTest::newRow("person, row added above meanwhile") << 1 << true << QStringList{QStringLiteral("*佐藤")};
        QTest::newRow("header") << -1 << false << QStringList{};
        QTest::newRow("separator") << 2 << false << QStringList{};
    }

    void rightClickPreselects()
    {
        QFETCH(int, gridRow);
        QFETCH(bool, rowAddedMeanwhile);
        QFETCH(QStringList, selected);
        TestUser u;
        Desk desk(u, u.folder());
        u.ctx().iniFile().store(37, QStringLiteral("30"));
        auto w = desk.open();
        w->show();
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QWidget* target = gridRow < 0 ? grid->horizontalHeader()->viewport() : grid->viewport();
        const QPoint at = gridRow < 0 ? QPoint(20, 5) : grid->visualItemRect(grid->item(gridRow, 1)).center();
        QTest::mousePress(target, Qt::RightButton, {}, at);
        QTest::mouseRelease(target, Qt::RightButton, {}, at);
        auto* menu = control<QAction>(w.get(), "mnuHokaSet");
        QVERIFY(menu->isEnabled());
        if (rowAddedMeanwhile) {
            QList<BoardRow> rows = rowsOf(desk.board1);
            rows.insert(0, person(QStringLiteral("新人"), QString(), QStringLiteral("1")));
            writeRows(desk.board1, rows);
        }

        QStringList got;
        QPoint placed;
        whenShown<frmIkisaki>([&](frmIkisaki* d) {
            for (QListWidgetItem* item : control<QListWidget>(d, "lstName")->selectedItems())
                got.append(item->text());
            placed = d->pos();
            QVERIFY(!w->Timer1.isActive());
        });
        menu->trigger();
        QCOMPARE(got, selected);
        QVERIFY(w->Timer1.isActive());
        const QPoint click = target->mapToGlobal(at);
        QVERIFY2((placed - click).manhattanLength() <= 2 || placed.y() < click.y(),
                 "the window opens at the click (or moved up onto the screen)");
    }

    void checkBoxesSelect()
    {
        TestUser u;
        Desk desk(u, u.folder());
        auto w = desk.open();
        frmIkisaki d(u.ctx(), *w, 0, 3, QPoint(10, 10)); // preselected: 鈴木 (logged out)
        auto* list = control<QListWidget>(&d, "lstName");
        auto selectedTexts = [&] {
            QStringList out;
            for (int k = 0; k < list->count(); ++k)
                if (list->item(k)->isSelected())
                    out.append(list->item(k)->text());
            return out;
        };
        QCOMPARE(list->count(), 5);
        QCOMPARE(selectedTexts(), QStringList{QStringLiteral(" 鈴木")});

        auto* logAll = control<QCheckBox>(&d, "chkLogAll");
        logAll->click();
        QCOMPARE(selectedTexts(), (QStringList{QStringLiteral("*") + kMe, QStringLiteral("*佐藤"), QStringLiteral("*田中")}));
        logAll->click();
        QCOMPARE(selectedTexts(), QStringList{QStringLiteral(" 鈴木")});

        auto* all = control<QCheckBox>(&d, "chkAll");
        all->click();
        QCOMPARE(selectedTexts(), (QStringList{QStringLiteral("*") + kMe, QStringLiteral("*佐藤"),
                                               QStringLiteral(" 鈴木"), QStringLiteral("*田中")}));
        all->click();
        QCOMPARE(selectedTexts(), QStringList{QStringLiteral(" 鈴木")});

        // The window keeps its width and a least height; the list fills it less the foot.
        QCOMPARE(d.width(), 320);
        d.show();
        d.resize(320, 50);
        QVERIFY(d.height() >= 131);
        d.resize(320, 400);
        QCOMPARE(list->geometry().bottom() + 1, 400 - 28);
    }

    // Everybody set at once: separators stay, the log keeps the last changed
    // row's short line, the grid shows the change.
    void setEverybody()
    {
        TestUser u;
        Desk desk(u, u.folder());
        TextFile::writeLines(desk.golog, {});
        auto w = desk.open();
        const QList<BoardRow> before = rowsOf(desk.board1);
        u.clock().set(QDateTime(QDate(2026, 12, 10), QTime(14, 30, 5)));
        frmIkisaki d(u.ctx(), *w, 0, -1, QPoint(10, 10));
        control<QCheckBox>(&d, "chkAll")->click();
        control<QComboBox>(&d, "cboIkisaki")->setEditText(QStringLiteral("全体会議, 5F"));
        control<QComboBox>(&d, "cboModori")->setEditText(QStringLiteral("16:00"));
        control<QPushButton>(&d, "cmdSettei")->click();

        QCOMPARE(d.result(), int(QDialog::Accepted));
        const QList<BoardRow> after = rowsOf(desk.board1);
        QCOMPARE(after.size(), before.size());
        for (int k = 0; k < after.size(); ++k) {
            BoardRow expected = before[k];
            if (!expected.isSeparator()) {
                expected.destination = QStringLiteral("全体会議, 5F");
                expected.expectedReturn = QStringLiteral("16:00");
                expected.setTime = QStringLiteral("12/10 14:30");
            }
            QCOMPARE(after[k], expected);
        }
        QCOMPARE(rowsOf(desk.board2).first().destination, QStringLiteral("席にいます")); // other board alone
        QCOMPARE(desk.logLines(), QStringList{QStringLiteral(
                                      "設定日時(2026/12/10 14:30:05) 名前：田中 行き先：全体会議, 5F,16:00")});
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QCOMPARE(grid->item(3, 2)->text(), QStringLiteral("全体会議, 5F"));
        QVERIFY(u.box().shown().isEmpty());
    }

    void nothingSelectedRewritesUnchanged()
    {
        TestUser u;
        Desk desk(u, u.folder());
        TextFile::writeLines(desk.golog, {QStringLiteral("前の行")});
        auto w = desk.open();
        const QByteArray before = Fs::readBytes(desk.board1);
        Fs::remove(desk.board1 + QStringLiteral(".bak"));
        frmIkisaki d(u.ctx(), *w, 0, -1, QPoint(10, 10));
        control<QPushButton>(&d, "cmdSettei")->click();
        QCOMPARE(Fs::readBytes(desk.board1), before);
        QVERIFY(Fs::exists(desk.board1 + QStringLiteral(".bak"))); // it was written
        QCOMPARE(desk.logLines(), (QStringList{QStringLiteral("前の行"), QString()}));
        QVERIFY(u.box().shown().isEmpty());
    }

    // Another copy inserts and removes rows between opening and setting: the
    // change lands on the people chosen, the one gone is reported.
    void rowsChangedByAnotherCopy_data()
    {
        QTest::addColumn<int>("place");
        QTest::newRow("local") << int(SharedPlace::Local);
        QTest::newRow("smb share") << int(SharedPlace::Share);
    }

    void rowsChangedByAnotherCopy()
    {
        QFETCH(int, place);
        SharedPlace share {SharedPlace::Kind(place)};
        if (!share.ok()) {
            if (qEnvironmentVariableIntValue("PORLUNE_REQUIRE_SHARE") == 1)
                QFAIL("the SMB share of the test rig is not there");
            QSKIP("no SMB share (PORLUNE_SHARE_DIR)");
        }
        TestUser u;
        Desk desk(u, share.path());
        TextFile::writeLines(desk.golog, {});
        auto w = desk.open();
        frmIkisaki d(u.ctx(), *w, 0, 1, QPoint(10, 10)); // 佐藤 preselected
        auto* list = control<QListWidget>(&d, "lstName");
        list->item(3)->setSelected(true); // 鈴木
        list->item(4)->setSelected(true); // 田中

        // The other copy: a newcomer above everybody, 田中 gone.
        QList<BoardRow> rows = rowsOf(desk.board1);
        rows.removeAt(4);
        rows.insert(0, person(QStringLiteral("新人"), QStringLiteral("研修"), QStringLiteral("1")));
        writeRows(desk.board1, rows);

        control<QComboBox>(&d, "cboIkisaki")->setEditText(QStringLiteral("出張"));
        control<QPushButton>(&d, "cmdSettei")->click();
        const QList<BoardRow> after = rowsOf(desk.board1);
        QCOMPARE(after.size(), 5);
        QStringList destinations;
        for (const BoardRow& r : after)
            destinations.append(r.name + u':' + r.destination);
        QCOMPARE(destinations, (QStringList{QStringLiteral("新人:研修"), kMe + QStringLiteral(":席にいます"),
                                            QStringLiteral("佐藤:出張"), QStringLiteral("区切り線:"),
                                            QStringLiteral("鈴木:出張")}));
        QCOMPARE(d.notChanged(), QStringList{QStringLiteral("田中")});
        QCOMPARE(u.box().shown().size(), 1);
        QVERIFY(u.box().shown().first().text.contains(QStringLiteral("田中")));
    }

    void readOnlyBoardOffersNoSet()
    {
        TestUser u;
        Desk desk(u, u.folder());
        QCOMPARE(Fs::setReadOnly(desk.board1, true), 0);
        auto w = desk.open();
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        const QPoint at = grid->visualItemRect(grid->item(1, 1)).center();
        QTest::mousePress(grid->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, at);
        QVERIFY(!control<QAction>(w.get(), "mnuHokaSet")->isEnabled());
        Fs::setReadOnly(desk.board1, false);
    }

    void logErrorsNameTheWindow()
    {
        TestUser u;
        Desk desk(u, u.folder());
        auto w = desk.open(); // no log file
        frmIkisaki d(u.ctx(), *w, 0, 1, QPoint(10, 10));
        control<QPushButton>(&d, "cmdSettei")->click();
        QCOMPARE(u.box().shown().size(), 1);
        QCOMPARE(u.box().shown().first().title, QStringLiteral("ファイルが見つかりません"));
        QCOMPARE(rowsOf(desk.board1)[1].setTime, QStringLiteral("06/14 09:05")); // still set
    }
};

class TestAutoInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void minutes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("minutes"); // -1: refused
        QTest::newRow("five") << "5" << 5;
        QTest::newRow("blanks around") << " 30 " << 30;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("top") << "499" << 499;
        QTest::newRow("above") << "500" << -1;
        QTest::newRow("letters") << "abc" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("fraction") << "2.5" << -1;
        QTest::newRow("wide digits") << "５" << 5;
        QTest::newRow("wide digits, blanks around") << "　１２０ " << 120;
    }

    void minutes()
    {
        QFETCH(QString, typed);
        QFETCH(int, minutes);
        const std::optional<int> got = AutoInputSettings::parseMinutes(typed);
        QCOMPARE(got.value_or(-1), minutes);
    }

    // The dialog shows the settings, refuses bad minutes, saves everything and
    // starts or stops Timer6 at once.
    void dialogSavesAndSwitchesTheWatch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("timer6");
        QTest::newRow("abc refused") << "abc" << false << true;
        QTest::newRow("500 refused") << "500" << false << true;
        QTest::newRow("0 stops the watch") << "0" << true << false;
        QTest::newRow("7 minutes") << "7" << true << true;
    }

    void dialogSavesAndSwitchesTheWatch()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(bool, timer6);
        TestUser u;
        Desk desk(u, u.folder());
        desk.store({{104, "5"}, {58, "席にいます"}, {107, "席にいます"}, {105, "離席中"}});
        auto w = desk.open();
        QVERIFY(w->Timer6.isActive());

        frmAutoInput d(u.ctx(), *w);
        QCOMPARE(control<QComboBox>(&d, "cboIkisaki0")->currentText(), QStringLiteral("席にいます"));
        QCOMPARE(control<QComboBox>(&d, "cboIkisaki3")->currentText(), QStringLiteral("離席中"));
        QCOMPARE(control<QComboBox>(&d, "cboIkisaki4")->itemText(0), QStringLiteral("会議室A")); // the lists
        QCOMPARE(control<QLineEdit>(&d, "txtFuzaiTime")->text(), QStringLiteral("5"));
        QVERIFY(!control<QCheckBox>(&d, "chkStart")->isChecked());
        QVERIFY(control<QLabel>(&d, "lblWatch")->isHidden());

        control<QCheckBox>(&d, "chkStart")->setChecked(true);
        control<QCheckBox>(&d, "chkSetIn")->setChecked(true);
        control<QComboBox>(&d, "cboIkisaki1")->setEditText(QStringLiteral("帰宅しました"));
        control<QComboBox>(&d, "cboModori1")->setEditText(QStringLiteral("明日"));
        control<QComboBox>(&d, "cboModori2")->setEditText(QStringLiteral("未定"));
        control<QLineEdit>(&d, "txtFuzaiTime")->setText(typed);
        control<QPushButton>(&d, "cmdOK")->click();

        QCOMPARE(d.result() == QDialog::Accepted, accepted);
        QCOMPARE(w->Timer6.isActive(), timer6);
        TestUser reread(u.folder());
        reread.loadSettings();
        const Settings& s = reread.ctx().settings();
        if (!accepted) {
            QCOMPARE(u.box().texts(), QStringList{QStringLiteral("操作監視時間を正しく入力してください")});
            QCOMPARE(u.box().shown().first().title, QStringLiteral("入力エラー"));
            QCOMPARE(s.intValue(56), 0);
            QCOMPARE(s.intValue(104), 300);
            return;
        }
        QVERIFY(u.box().shown().isEmpty());
        QCOMPARE(s.intValue(56), 1);
        QCOMPARE(s.intValue(66), 1);
        QCOMPARE(s.text(59), QStringLiteral("帰宅しました"));
        QCOMPARE(s.text(61), QStringLiteral("明日"));
        QCOMPARE(s.text(68), QStringLiteral("未定"));
        QCOMPARE(s.intValue(104), typed.toInt() * 60);
        QCOMPARE(u.ctx().settings().intValue(104), typed.toInt() * 60);
    }

    void dialogSaysWhenTheWatchIsNotAvailable()
    {
        TestUser u;
        Desk desk(u, u.folder());
        u.activity().setAvailable(false);
        auto w = desk.open();
        frmAutoInput d(u.ctx(), *w);
        QVERIFY(!control<QLabel>(&d, "lblWatch")->isHidden());
    }

    // Start and exit through the main window: the own rows on every shown
    // board carry the start whereabouts while logged in, the exit ones after;
    // with "今日は終了時に自動入力しない" ticked the exit leaves them.
    void startAndExit_data()
    {
        QTest::addColumn<bool>("notToday");
        QTest::newRow("exit whereabouts") << false;
        QTest::newRow("not today") << true;
    }

    void startAndExit()
    {
        QFETCH(bool, notToday);
        TestUser u;
        Desk desk(u, u.folder());
        desk.store({{56, "1"}, {57, "1"}, {58, "出社"}, {60, "終日"}, {59, "帰宅"}, {61, "明朝"}});
        auto w = desk.open();
        for (const QString& board : {desk.board1, desk.board2}) {
            const BoardRow mine = rowsOf(board).first();
            QCOMPARE(mine.login + mine.destination + mine.expectedReturn, QStringLiteral("1出社終日"));
        }
        if (notToday)
            control<QAction>(w.get(), "mnuEndSet2")->trigger();
        QCOMPARE(control<QAction>(w.get(), "mnuEndSet")->isChecked(), notToday);
        w->unload();
        for (const QString& board : {desk.board1, desk.board2}) {
            const BoardRow mine = rowsOf(board).first();
            QCOMPARE(mine.login + mine.destination + mine.expectedReturn,
                     notToday ? QStringLiteral("0出社終日") : QStringLiteral("0帰宅明朝"));
        }
    }
};

class TestAbsence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Setting 104 at 5 minutes: the row changes once after 310 idle seconds,
    // then not again until the machine was used.
    void idleTimeChangesTheRowOnce()
    {
        TestUser u;
        Desk desk(u, u.folder());
        desk.store({{104, "5"}, {107, "席にいます"}, {108, "17:00"}, {105, "離席中"}, {106, "すぐ戻ります"}});
        const QList<BoardRow> others = rowsOf(desk.board1).mid(1);
        Banfile_Read(u.ctx());
        AbsenceWatch watch(u.ctx());
        u.activity().press(); // before the start: does not count
        watch.start();
        auto mine = [&] { return rowsOf(desk.board1).first().destination; };
        int changedAt = -1;
        for (int tick = 1; tick <= 36; ++tick) { // six minutes
            const bool ran = watch.tick();
            if (ran) {
                QCOMPARE(changedAt, -1);
                changedAt = tick;
            }
        }
        QCOMPARE(changedAt, 31);
        QCOMPARE(watch.counter(), qint16(-30000 + 50));
        const BoardRow row = rowsOf(desk.board1).first();
        QCOMPARE(row.destination + u'|' + row.expectedReturn + u'|' + row.login + u'|' + row.extension,
                 QStringLiteral("離席中|すぐ戻ります|1|101"));
        QCOMPARE(rowsOf(desk.board2).first().destination, QStringLiteral("離席中"));
        QCOMPARE(rowsOf(desk.board1).mid(1), others);

        // The row shows the condition again (set back by hand), but without use
        // in between another hour changes nothing.
        for (const QString& board : {desk.board1, desk.board2}) {
            QList<BoardRow> rows = rowsOf(board);
            rows[0].destination = QStringLiteral("席にいます");
            rows[0].expectedReturn = QStringLiteral("17:00");
            writeRows(board, rows);
        }
        for (int tick = 0; tick < 360; ++tick)
            QVERIFY(!watch.tick());
        QCOMPARE(mine(), QStringLiteral("席にいます"));

        u.activity().press();
        QVERIFY(!watch.tick());
        QCOMPARE(watch.counter(), qint16(0));
        for (int tick = 1; tick <= 30; ++tick)
            QVERIFY(!watch.tick());
        QVERIFY(watch.tick());
        QCOMPARE(mine(), QStringLiteral("離席中"));
    }

    // Which rows the absence change takes.
    void conditionMatch_data()
    {
        QTest::addColumn<QString>("condDest");
        QTest::addColumn<QString>("condReturn");
        QTest::addColumn<QString>("rowDest");
        QTest::addColumn<QString>("rowReturn");
        QTest::addColumn<bool>("changed");
        QTest::newRow("equal") << "席にいます" << "" << "席にいます" << "" << true;
        QTest::newRow("another destination") << "席にいます" << "" << "会議" << "" << false;
        QTest::newRow("another return") << "席にいます" << "" << "席にいます" << "15:00" << false;
        QTest::newRow("empty conditions, empty row") << "" << "" << "" << "" << true;
        QTest::newRow("empty conditions, destination set") << "" << "" << "会議" << "" << false;
        QTest::newRow("empty conditions, return set") << "" << "" << "" << "15:00" << false;
        QTest::newRow("typed JIS form") << "席〜" << "" << "席～" << "" << true;
    }

    void conditionMatch()
    {
        QFETCH(QString, condDest);
        QFETCH(QString, condReturn);
        QFETCH(QString, rowDest);
        QFETCH(QString, rowReturn);
        QFETCH(bool, changed);
        auto u = quickUser();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.iki"));
        BoardRow mine = person(kMe, rowDest, QStringLiteral("0"));
        mine.expectedReturn = rowReturn;
        const BoardRow other = person(QStringLiteral("佐藤"), rowDest, QStringLiteral("0"));
        writeRows(path, {mine, separator(), other});
        BoardEntry& e = u->ctx().board().entries[0];
        e.number = 1;
        e.path = path;
        e.shown = e.loggedIn = true;
        Settings& s = u->ctx().settings();
        s.setText(26, kMe);
        s.setText(107, condDest);
        s.setText(108, condReturn);
        s.setText(105, QStringLiteral("不在"));
        s.setText(106, QStringLiteral("未定"));
        QCOMPARE(absenceChange(u->ctx()), changed ? 1 : 0);
        const QList<BoardRow> after = rowsOf(path);
        QCOMPARE(after[0].destination, changed ? QStringLiteral("不在") : rowDest);
        QCOMPARE(after[0].login, changed ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(after[1], separator());
        QCOMPARE(after[2], other);
    }

    // A limit beyond the counter's range keeps the counter at its top.
    void counterDoesNotOverflow()
    {
        auto u = quickUser();
        u->ctx().settings().setInt(104, 40000);
        AbsenceWatch watch(u->ctx());
        watch.start();
        for (int tick = 0; tick < 3300; ++tick)
            QVERIFY(!watch.tick());
        QCOMPARE(watch.counter(), qint16(32767));
    }

    // Timer6 through the main window: a tick redraws the grid after the
    // change; a tick that comes while the set button's change waits for a
    // board held by another copy is skipped, and so is Timer4's.
    void mainWindowTicks()
    {
        TestUser u;
        Desk desk(u, u.folder());
        desk.store({{104, "1"}, {107, "席にいます"}, {108, "17:00"}, {105, "離席中"}, {41, "1"}});
        auto w = desk.open();
        QVERIFY(w->Timer6.isActive());
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        for (int tick = 0; tick < 7; ++tick)
            w->Timer6_Timer();
        QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("離席中"));

        // Another copy holds board 1 and changes it; the set button waits.
        u.ctx().board().waits.pause = {};
        QList<BoardRow> rows = rowsOf(desk.board1);
        rows[1].destination = QStringLiteral("昼食");
        writeRows(desk.board1, rows);
        SharedClaim other(SharedClaim::lockPathFor(desk.board1));
        QCOMPARE(other.acquire(), 0);
        const int pollsBefore = u.activity().polls();
        bool ticked = false;
        int pollsInside = -1;
        QString shownInside;
        QTimer::singleShot(100, [&] {
            QVERIFY(w->sharedWorkUnderWay());
            // Another copy changed board 1 meanwhile: a refresh would show it.
            w->Timer6_Timer();
            w->Timer4_Timer();
            w->Timer4_Timer();
            pollsInside = u.activity().polls();
            shownInside = grid->item(1, 2)->text();
            ticked = true;
        });
        QTimer::singleShot(400, [&] { other.release(); });
        control<QComboBox>(w.get(), "cboIkisaki")->setEditText(QStringLiteral("会議"));
        w->cmdSettei_Click();
        QVERIFY(ticked);
        QCOMPARE(pollsInside, pollsBefore);
        QCOMPARE(shownInside, QStringLiteral("席にいます"));
        QVERIFY(!w->sharedWorkUnderWay());
        QCOMPARE(rowsOf(desk.board1).first().destination, QStringLiteral("会議"));
        w->Timer6_Timer();
        QCOMPARE(u.activity().polls(), pollsBefore + 1);
    }
};

PORLUNE_TEST_MAIN(TestOtherWhereabouts, TestAutoInput, TestAbsence)

#include "tst_whereabouts.moc"
