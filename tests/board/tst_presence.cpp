// Presence beside the board: heartbeats and stale rows, overdue returns, the
// shared places' state under the grid, and desktop notifications.
#include "PresenceOffice.h"
#include "board/AbsenceWatch.h"
#include "board/BoardAccess.h"
#include "board/BoardFile.h"
#include "board/BoardPresence.h"
#include "board/BoardRow.h"
#include "board/Heartbeat.h"
#include "board/ReturnDue.h"
#include "board/ShareHealth.h"
#include "board/frmIkisaki.h"
#include "board/frmMain.h"
#include "dialogs/DisplaySettings.h"
#include "messaging/MessageFile.h"
#include "messaging/MessageNotice.h"
#include "messaging/frmMSettei.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/QuotedCsv.h"
#include "platform/SystemColors.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "support/Controls.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QPushButton>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include <memory>

namespace {

QTableWidgetItem* item(frmMain& w, int row, int col)
{
    return control<QTableWidget>(&w, "DataGrid1")->item(row, col);
}

} // namespace

class TestReturnDue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void overdue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("setTime");
        QTest::addColumn<bool>("overdue");
        // Now is 2026/12/10 14:30.
        const QString today = QStringLiteral("12/10 09:00");
        QTest::newRow("time passed") << "14:00" << today << true;
        QTest::newRow("time to come") << "15:00" << today << false;
        QTest::newRow("the very minute is not past") << "14:30" << today << false;
        QTest::newRow("single-digit hour") << "9:30" << today << true;
        QTest::newRow("hour") << "14時" << today << true;
        QTest::newRow("hour to come") << "15時" << today << false;
        QTest::newRow("hour and minutes") << "14時29分" << today << true;
        QTest::newRow("hour and minutes to come") << "14時45分" << today << false;
        QTest::newRow("half past") << "13時半" << today << true;
        QTest::newRow("full-width time") << "１４：００" << today << true;
        QTest::newRow("full-width hour") << "１５時" << today << false;
        QTest::newRow("blanks around") << "　14:00 " << today << true;
        QTest::newRow("date and time passed") << "12/10 14:00" << today << true;
        QTest::newRow("date and time to come") << "12/10 15:00" << today << false;
        QTest::newRow("date with year") << "2026/12/10 14:00" << today << true;
        QTest::newRow("Japanese date and hour") << "12月10日14時" << today << true;
        QTest::newRow("Japanese date, blank, hour") << "12月10日 15時" << today << false;
        QTest::newRow("full-width date") << "１２／９" << today << true;
        QTest::newRow("today's date is due at its end") << "12/10" << today << false;
        QTest::newRow("yesterday") << "12/9" << today << true;
        QTest::newRow("tomorrow") << "12/11" << today << false;
        QTest::newRow("next January, not last") << "1/5" << today << false;
        QTest::newRow("range passed") << "13:00～14:00" << today << true;
        QTest::newRow("range still running") << "14:00～16:00" << today << false;
        QTest::newRow("range with hyphen") << "9:00-14:15" << today << true;
        QTest::newRow("set yesterday, time of yesterday") << "17:00" << "12/09 09:00" << true;
        QTest::newRow("set last night, this morning") << "9:00" << "12/09 20:00" << true;
        QTest::newRow("set at noon, tomorrow morning") << "9:00" << "12/10 13:00" << false;
        QTest::newRow("new person's set time") << "14:00" << "99:99 99/99" << true;
        QTest::newRow("no set time") << "15:00" << "" << false;
        QTest::newRow("undecided") << "未定" << today << false;
        QTest::newRow("tomorrow in words") << "明日" << today << false;
        QTest::newRow("straight home") << "直帰" << today << false;
        QTest::newRow("about") << "14時頃" << today << false;
        QTest::newRow("empty") << "" << today << false;
        QTest::newRow("no such hour") << "25:00" << today << false;
        QTest::newRow("no such date") << "13/45" << today << false;
        QTest::newRow("three parts") << "9:00～10:00～11:00" << today << false;
    }

    void overdue()
    {
        QFETCH(QString, text);
        QFETCH(QString, setTime);
        QFETCH(bool, overdue);
        FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(14, 30)));
        QCOMPARE(isOverdue(text, clock.now(), setTime), overdue);
    }
};

class TestHeartbeat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNamesStandForAnyName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("kanji") << kMe;
        QTest::newRow("half-width kana") << QStringLiteral("ｲﾄｳﾕｳｷ");
        QTest::newRow("characters no share allows") << QStringLiteral("a/b\\c:*?\"<>| .");
        QTest::newRow("wave dash") << QStringLiteral("山田〜");
    }

    void fileNamesStandForAnyName()
    {
        QFETCH(QString, name);
        const QString file = Heartbeat::fileNameFor(name);
        QVERIFY(file.endsWith(QLatin1String(".hb")));
        for (QChar c : file.chopped(3))
            QVERIFY2(QStringLiteral("0123456789ABCDEF").contains(c), qPrintable(file));
        // The name as a board file gives it back (its Shift-JIS form).
        QCOMPARE(Heartbeat::userOf(file), Sjis::decode(Sjis::encode(name)));
        QVERIFY(Heartbeat::fileNameFor(QString()).isEmpty());
        QVERIFY(Heartbeat::userOf(QStringLiteral("ABC.hb")).isEmpty());
        QVERIFY(Heartbeat::userOf(QStringLiteral("notes.txt")).isEmpty());
    }

    // A writer beating every interval and a reader looking every interval, at
    // some phase apart: never stale while it beats; once it stops, stale at a
    // look between two and three intervals after its last beat.
    void staleBetweenTwoAndThreeIntervalsAfterTheLastBeat_data()
    {
        QTest::addColumn<int>("phaseMs");
        QTest::newRow("reader just after the writer") << 50;
        QTest::newRow("half an interval apart") << 1500;
        QTest::newRow("reader just before the writer") << 2950;
    }

    void staleBetweenTwoAndThreeIntervalsAfterTheLastBeat()
    {
        QFETCH(int, phaseMs);
        QTemporaryDir dir;
        const QString board = dir.filePath(QStringLiteral("b.iki"));
        QVERIFY(TextFile::writeLines(board, {rowLine(kSato, QStringLiteral("1"), QString(), QString())}) == 0);
        const qint64 interval = 3000;
        HeartbeatWriter writer;
        HeartbeatMonitor monitor;
        const QDateTime local(QDate(2026, 12, 10), QTime(9, 0));
        qint64 lastBeat = -1;
        qint64 staleAt = -1;
        const qint64 stopAt = 30000;
        // Events every 50 ms: the writer beats at multiples of the interval
        // (until it stops), the reader looks at multiples plus the phase.
        for (qint64 t = 0; t <= 60000 && staleAt < 0; t += 50) {
            if (t % interval == 0 && t < stopAt) {
                QCOMPARE(writer.beat(kSato, {board}, int(interval / 1000)), 1);
                lastBeat = t;
            }
            if (t >= phaseMs && (t - phaseMs) % interval == 0) {
                QVERIFY(monitor.look(board, t, local.addMSecs(t), interval));
                if (monitor.isStale(board, kSato))
                    staleAt = t;
            }
        }
        QVERIFY2(staleAt >= stopAt, "stale while it was beating");
        const qint64 after = staleAt - lastBeat;
        QVERIFY2(after >= 2 * interval && after <= 3 * interval, qPrintable(QString::number(after)));
        QVERIFY(!monitor.isStale(board, kOld)); // nobody's file: never stale
        // The tooltip shows the local time of the look that saw the last change.
        const auto seen = monitor.seen(board, kSato);
        QVERIFY(seen);
        QVERIFY(seen->changedLocal >= local.addMSecs(lastBeat) && seen->changedLocal <= local.addMSecs(lastBeat + interval));
    }

    // A writer that declares a longer interval than the reader's own is
    // allowed three of its intervals.
    void aSlowerWriterIsAllowedItsOwnInterval()
    {
        QTemporaryDir dir;
        const QString board = dir.filePath(QStringLiteral("b.iki"));
        QVERIFY(TextFile::writeLines(board, {rowLine(kSato, QStringLiteral("1"), QString(), QString())}) == 0);
        HeartbeatWriter writer;
        HeartbeatMonitor monitor;
        QCOMPARE(writer.beat(kSato, {board}, 60), 1);
        monitor.look(board, 0, QDateTime(), 2000);
        for (qint64 t = 2000; t < 150000; t += 2000) {
            monitor.look(board, t, QDateTime(), 2000);
            QVERIFY2(!monitor.isStale(board, kSato), qPrintable(QString::number(t)));
        }
        monitor.look(board, 180000, QDateTime(), 2000);
        QVERIFY(monitor.isStale(board, kSato));
    }

    // Clean exit removes the heartbeat: the user is simply not watched. A
    // restarted copy (a new run) is seen alive again even with counter 1.
    void cleanExitAndRestart_data()
    {
        SHARED_PLACES_TWO_MOUNTS_DATA();
    }

    void cleanExitAndRestart()
    {
        QFETCH(SharedPlace::Kind, place);
        SHARED_PLACE(share, place);
        const QString board = share.file(QStringLiteral("b.iki"));
        const QString board2 = share.file2(QStringLiteral("b.iki"));
        QVERIFY(TextFile::writeLines(board, {rowLine(kSato, QStringLiteral("1"), QString(), QString())}) == 0);
        HeartbeatMonitor monitor; // the reader is the other client
        auto writer = std::make_unique<HeartbeatWriter>();
        QCOMPARE(writer->beat(kSato, {board}, 2), 1);
        const QString file = Paths::join(Heartbeat::folderFor(board2), Heartbeat::fileNameFor(kSato));
        QTRY_VERIFY_WITH_TIMEOUT(Fs::isFile(file), 10000);
        qint64 t = 0;
        monitor.look(board2, t, QDateTime(), 2000);
        for (int k = 0; k < 3; ++k) {
            t += 2000;
            monitor.look(board2, t, QDateTime(), 2000);
        }
        QVERIFY(monitor.isStale(board2, kSato)); // killed, as it were

        const QByteArray last = Fs::readBytes(file);
        writer = std::make_unique<HeartbeatWriter>(); // the next start
        QCOMPARE(writer->beat(kSato, {board}, 2), 1);
        QTRY_VERIFY_WITH_TIMEOUT(Fs::readBytes(file) != last, 10000);
        t += 2000;
        monitor.look(board2, t, QDateTime(), 2000);
        QVERIFY(!monitor.isStale(board2, kSato));

        writer->stop();
        QTRY_VERIFY_WITH_TIMEOUT(!Fs::exists(file), 10000);
        for (int k = 0; k < 5; ++k) {
            t += 2000;
            monitor.look(board2, t, QDateTime(), 2000);
        }
        QVERIFY(!monitor.seen(board2, kSato));
        QVERIFY(!monitor.isStale(board2, kSato));
        // Nothing but our own files beside the board, nothing in it.
        QCOMPARE(Fs::list(Heartbeat::folderFor(board), QStringLiteral("*")), QStringList());
        QCOMPARE(TextFile::readLines(board).lines.size(), 1);
    }

    // A writer with no refresh (setting 41 at 0) or no name leaves none.
    void noRefreshNoHeartbeat()
    {
        QTemporaryDir dir;
        const QString board = dir.filePath(QStringLiteral("b.iki"));
        QVERIFY(TextFile::writeLines(board, {rowLine(kSato, QStringLiteral("1"), QString(), QString())}) == 0);
        HeartbeatWriter writer;
        QCOMPARE(writer.beat(kSato, {board}, 5), 1);
        QCOMPARE(writer.beat(kSato, {board}, 0), 0);
        QVERIFY(Fs::list(Heartbeat::folderFor(board), QStringLiteral("*.hb")).isEmpty());
        QCOMPARE(writer.beat(QString(), {board}, 5), 0);
        // A board no longer among the user's loses its heartbeat.
        QCOMPARE(writer.beat(kSato, {board}, 5), 1);
        QCOMPARE(writer.beat(kSato, {}, 5), 0);
        QVERIFY(Fs::list(Heartbeat::folderFor(board), QStringLiteral("*.hb")).isEmpty());
        // No board file (a share away): nothing is made beside it.
        QCOMPARE(writer.beat(kSato, {dir.filePath(QStringLiteral("gone.iki"))}, 5), 0);
        QVERIFY(!Fs::exists(Heartbeat::folderFor(dir.filePath(QStringLiteral("gone.iki")))));
    }
};

class TestShareHealth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachOutageIsReportedOnce()
    {
        ShareHealth h;
        const QString p = QStringLiteral("/srv/board.iki");
        QVERIFY(!h.record(ShareHealth::Board, p, true));
        QVERIFY(h.record(ShareHealth::Board, p, false)); // the moment it goes
        for (int tick = 0; tick < 5; ++tick)
            QVERIFY(!h.record(ShareHealth::Board, p, false)); // not at every tick
        QVERIFY(!h.allReachable());
        QVERIFY(h.statusText().contains(QStringLiteral("掲示板:×")));
        QVERIFY(!h.record(ShareHealth::Board, p, true));
        QVERIFY(h.allReachable());
        QVERIFY(h.statusText().contains(QStringLiteral("掲示板:○")));
        QVERIFY(h.record(ShareHealth::Board, p, false)); // a new outage is a new report
        // A place not set up is never reported.
        QVERIFY(!h.record(ShareHealth::MailPlace, QString(), false));
        QVERIFY(h.statusText().contains(QStringLiteral("メール置き場:－")));
    }

    void reachability()
    {
        QTemporaryDir dir;
        const QString board = dir.filePath(QStringLiteral("b.iki"));
        QVERIFY(!ShareHealth::reachable(ShareHealth::Board, board));
        QVERIFY(TextFile::writeLines(board + QStringLiteral(".bak"), {QStringLiteral("x")}) == 0);
        QVERIFY(ShareHealth::reachable(ShareHealth::Board, board)); // between a rename's two steps
        QVERIFY(!ShareHealth::reachable(ShareHealth::Board, dir.filePath(QStringLiteral("gone/b.iki"))));
        QVERIFY(ShareHealth::reachable(ShareHealth::MailPlace, dir.path()));
        QVERIFY(!ShareHealth::reachable(ShareHealth::MailPlace, dir.filePath(QStringLiteral("gone"))));
    }
};

class TestMessageNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void senderAndFirstLineUnlessSealed_data()
    {
        QTest::addColumn<QString>("sealed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "0" << "\r\n打合せは15時からです。\r\n資料を持参ください。" << "打合せは15時からです。";
        QTest::newRow("sealed") << "1" << "給与明細の件" << "封印されたメッセージが届きました";
        QTest::newRow("no text") << "0" << "" << "(本文なし)";
    }

    void senderAndFirstLineUnlessSealed()
    {
        QFETCH(QString, sealed);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        MessageFile m;
        m.sender = kSato;
        m.sealed = sealed;
        m.setText(text);
        const MessageNotice n = messageNotice(m);
        QCOMPARE(n.title, QStringLiteral("佐藤花子 さんからのメッセージ"));
        QCOMPARE(n.text, shown);
        if (sealed == QLatin1String("1"))
            QVERIFY(!n.text.contains(QStringLiteral("給与")));
    }
};

// The main window with these: the grid marks and the status line follow each
// refresh, a share that goes is told once, received messages notify.
class TestPresenceWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void staleAndOverdueRows()
    {
        TestUser u;
        QTemporaryDir dir;
        PresenceOffice office(u, dir.path());
        u.clock().set(QDateTime(QDate(2006, 6, 14), QTime(9, 5)));
        // 佐藤花子's copy beats once, then stops; 鈴木一郎's older copy never does.
        HeartbeatWriter sato;
        QCOMPARE(sato.beat(kSato, {office.board}, 2), 1);
        auto w = office.open();
        QVERIFY(Fs::isFile(office.heartbeatOf(kMe))); // our own, from the load
        QCOMPARE(item(*w, 1, 0)->text(), QStringLiteral("*"));
        const QColor text = SystemColors::fromSetting(u.ctx().settings().intValue(70));
        for (int k = 0; k < 2; ++k) {
            office.refresh(*w);
            QCOMPARE(item(*w, 1, 0)->foreground().color(), text);
            QVERIFY(item(*w, 1, 0)->toolTip().isEmpty());
        }
        office.refresh(*w);
        QVERIFY(item(*w, 1, 0)->foreground().color() != text);
        QCOMPARE(item(*w, 1, 0)->toolTip(), QStringLiteral("応答がありません（最終確認 09:05）"));
        QCOMPARE(item(*w, 1, 0)->text(), QStringLiteral("*")); // the board file is as it was
        QCOMPARE(item(*w, 2, 0)->foreground().color(), text);   // no heartbeat: never stale
        QVERIFY(item(*w, 2, 0)->toolTip().isEmpty());

        // Her copy beats again: the mark goes at the next refresh.
        QCOMPARE(sato.beat(kSato, {office.board}, 2), 1);
        office.refresh(*w);
        QCOMPARE(item(*w, 1, 0)->foreground().color(), text);
        QVERIFY(item(*w, 1, 0)->toolTip().isEmpty());

        // Her return "09:00" (set 08:30 today) has passed; "未定" never does.
        const QColor overdue = SystemColors::fromSetting(u.ctx().settings().intValue(DisplaySettings::OverdueColor));
        QCOMPARE(item(*w, 1, 4)->background().color(), overdue);
        QCOMPARE(item(*w, 1, 4)->toolTip(), QStringLiteral("戻り予定（09:00）を過ぎています"));
        QVERIFY(item(*w, 2, 4)->background().color() != overdue);
        QVERIFY(item(*w, 2, 4)->toolTip().isEmpty());
        // The colour is the display setting's.
        u.ctx().settings().setInt(DisplaySettings::OverdueColor, SystemColors::toSetting(QColor(0, 0, 255)));
        office.refresh(*w);
        QCOMPARE(item(*w, 1, 4)->background().color(), QColor(0, 0, 255));

        w->unload();
        QVERIFY(!Fs::exists(office.heartbeatOf(kMe))); // clean exit
    }

    // The board's folder goes away and comes back: one report, the status line
    // follows, the rows stay in view, and nothing of the board is lost.
    void shareAwayIsToldOnce()
    {
        TestUser u;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkpath(folder));
        PresenceOffice office(u, folder);
        auto w = office.open();
        auto* status = control<QLabel>(w.get(), "lblStatus");
        QVERIFY2(status->text().contains(QStringLiteral("掲示板:○")), qPrintable(status->text()));
        QVERIFY(u.box().shown().isEmpty());
        const QByteArray before = Fs::readBytes(office.board);

        const QString away = dir.filePath(QStringLiteral("away"));
        QCOMPARE(Fs::rename(folder, away), 0); // the share is gone
        for (int k = 0; k < 5; ++k) {
            office.refresh(*w);
            QApplication::processEvents();
        }
        QCOMPARE(u.box().shown().size(), 3); // board list, board, mail place: once each
        QVERIFY(u.box().shown()[1].text.contains(office.board));
        QCOMPARE(u.box().shown()[1].title, QStringLiteral("共有フォルダ接続エラー"));
        QVERIFY2(status->text().contains(QStringLiteral("掲示板:×")), qPrintable(status->text()));
        QCOMPARE(control<QTableWidget>(w.get(), "DataGrid1")->rowCount(), 3); // still in view
        QCOMPARE(item(*w, 1, 1)->text(), kSato);

        QCOMPARE(Fs::rename(away, folder), 0); // back
        office.refresh(*w);
        QApplication::processEvents();
        QVERIFY2(status->text().contains(QStringLiteral("掲示板一覧:○　掲示板:○　メール置き場:○")), qPrintable(status->text()));
        QCOMPARE(u.box().shown().size(), 3);
        QCOMPARE(Fs::readBytes(office.board), before);
        w->unload();
    }

    // Whereabouts set while the board's folder is away are kept, in order, and
    // written at the first refresh after it is back, over what others wrote
    // meanwhile; the status line counts them. Others' rows are refused then.
    void whereaboutsSetWhileAwayAreWrittenWhenBack()
    {
        TestUser u;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkpath(folder));
        PresenceOffice office(u, folder);
        const QString golog = u.ctx().programPath(QStringLiteral("golog.txt"));
        QCOMPARE(TextFile::writeLines(golog, {}), 0);
        IniFile& ini = u.ctx().iniFile();
        ini.store(33, golog);
        ini.store(65, QStringLiteral("1"));
        // The absence change applies to the row as the kept set leaves it.
        ini.store(105, QStringLiteral("離席中"));
        ini.store(106, QString());
        ini.store(107, QStringLiteral("会議室"));
        ini.store(108, QStringLiteral("15:00"));
        auto w = office.open();
        auto* status = control<QLabel>(w.get(), "lblStatus");
        const QString away = dir.filePath(QStringLiteral("away"));
        QCOMPARE(Fs::rename(folder, away), 0);
        office.refresh(*w);
        QApplication::processEvents();

        control<QComboBox>(w.get(), "cboIkisaki")->setEditText(QStringLiteral("会議室"));
        control<QComboBox>(w.get(), "cboModori")->setEditText(QStringLiteral("15:00"));
        control<QPushButton>(w.get(), "cmdSettei")->click();
        QCOMPARE(pendingChangeCount(u.ctx()), 1);
        QCOMPARE(absenceChange(u.ctx()), 0);
        QCOMPARE(pendingChangeCount(u.ctx()), 2);
        office.refresh(*w);
        QVERIFY2(status->text().contains(QStringLiteral("未書込の変更:2件")), qPrintable(status->text()));
        QVERIFY2(TextFile::readLines(golog).lines.value(0).contains(QStringLiteral("会議室")),
                 qPrintable(TextFile::readLines(golog).lines.join(u'|')));

        {
            frmIkisaki d(u.ctx(), *w, 0, 1, QPoint(10, 10));
            control<QComboBox>(&d, "cboIkisaki")->setEditText(QStringLiteral("外出"));
            const qsizetype boxes = u.box().shown().size();
            control<QPushButton>(&d, "cmdSettei")->click();
            QCOMPARE(d.result(), int(QDialog::Rejected)); // still open
            QCOMPARE(u.box().shown().size(), boxes + 1);
            QVERIFY(u.box().shown().last().text.contains(QStringLiteral("接続できない")));
            QCOMPARE(pendingChangeCount(u.ctx()), 2);
        }

        QCOMPARE(Fs::rename(away, folder), 0);
        // Another copy changed 佐藤's row before this one saw the share again.
        QList<QString> lines = TextFile::readLines(office.board).lines;
        lines[1] = rowLine(kSato, QStringLiteral("1"), QStringLiteral("06/14 10:00"), QStringLiteral("11:00"));
        QCOMPARE(TextFile::writeLines(office.board, lines), 0);
        office.refresh(*w);
        QApplication::processEvents();

        QCOMPARE(pendingChangeCount(u.ctx()), 0);
        QVERIFY2(!status->text().contains(QStringLiteral("未書込")), qPrintable(status->text()));
        const QList<QString> after = TextFile::readLines(office.board).lines;
        QCOMPARE(after.size(), 3);
        const QStringList mine = QuotedCsv::parseLine(after[0]).fields;
        QCOMPARE(mine.value(1), QStringLiteral("離席中"));
        QCOMPARE(mine.value(2), QStringLiteral("1"));
        QCOMPARE(after[1], lines[1]);
        QCOMPARE(item(*w, 0, 2)->text(), QStringLiteral("離席中"));
        w->unload();
    }

    // A board whose folder was never there keeps nothing it cannot tell from
    // an outage for ever: the change waits, and goes when the folder appears.
    void keptChangeWaitsForTheFolder()
    {
        TestUser u;
        QTemporaryDir dir;
        const QString board = dir.filePath(QStringLiteral("later/b.iki"));
        const QString tail = QuotedCsv::formatTextLine({kMe, QStringLiteral("席にいます"), QStringLiteral("1"),
                                                        QString(), QString(), QString(), QString()});
        const auto change = [](QList<BoardRow>& rows) { rows[0].destination = QStringLiteral("外出"); };
        QCOMPARE(updateOrKeep(u.ctx(), -1, board, change), CycleResult::Unreachable);
        QCOMPARE(flushPendingChanges(u.ctx()), 0);
        QCOMPARE(pendingChangeCount(u.ctx()), 1);
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("later"))));
        QCOMPARE(flushPendingChanges(u.ctx()), 0); // the folder, but no board: dropped
        QCOMPARE(pendingChangeCount(u.ctx()), 0);
        QCOMPARE(TextFile::writeLines(board, {tail}), 0);
        QCOMPARE(updateOrKeep(u.ctx(), -1, board, change), CycleResult::Written);
        QCOMPARE(BoardFile::parse(Fs::readBytes(board)).rows.value(0).destination, QStringLiteral("外出"));
    }

    void receivedMessageNotifies_data()
    {
        QTest::addColumn<bool>("notify");
        QTest::addColumn<QString>("sealed");
        QTest::addColumn<QString>("expected"); // "" = no notification
        QTest::newRow("plain") << true << "0" << "会議室が変わりました";
        QTest::newRow("sealed") << true << "1" << "封印されたメッセージが届きました";
        QTest::newRow("switched off") << false << "0" << "";
    }

    void receivedMessageNotifies()
    {
        QFETCH(bool, notify);
        QFETCH(QString, sealed);
        QFETCH(QString, expected);
        TestUser u;
        QTemporaryDir dir;
        PresenceOffice office(u, dir.path());
        QCOMPARE(u.ctx().settings().intValue(SettingNo::Notify), 1); // on by default
        auto w = office.open();
        {
            // The switch of the message settings.
            frmMSettei settings(u.ctx(), *w);
            auto* chkNotify = control<QCheckBox>(&settings, "chkNotify");
            QVERIFY(chkNotify->isChecked());
            chkNotify->setChecked(notify);
            settings.cmdOk_Click();
        }
        TestUser again(u.folder()); // as the next start reads it
        again.loadSettings();
        QCOMPARE(again.ctx().settings().intValue(SettingNo::Notify), notify ? 1 : 0);
        MessageFile m;
        m.addressees = MessageFile::addresseeLine({kMe});
        m.sender = kSato;
        m.sentAt = QStringLiteral("2006/06/14 09:05:07");
        m.sealed = sealed;
        m.setText(QStringLiteral("会議室が変わりました\r\n3階です"));
        QCOMPARE(Fs::writeBytes(Paths::join(office.mail, kMe + QStringLiteral(".001")), MessageFormat::encode(m)), 0);
        w->Timer1_Shori();
        QCOMPARE(w->messageWindows().size(), 1);
        if (expected.isEmpty()) {
            QVERIFY(u.tray().notifications().isEmpty());
        } else {
            QCOMPARE(u.tray().notifications().size(), 1);
            QCOMPARE(u.tray().notifications()[0].title, QStringLiteral("佐藤花子 さんからのメッセージ"));
            QCOMPARE(u.tray().notifications()[0].text, expected);
            QVERIFY(!u.tray().notifications()[0].text.contains(QStringLiteral("3階")));
        }
        w->unload();
    }
};

PORLUNE_TEST_MAIN(TestReturnDue, TestHeartbeat, TestShareHealth, TestMessageNotice, TestPresenceWindow)

#include "tst_presence.moc"
