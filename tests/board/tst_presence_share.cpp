// Presence on the SMB test rig: a real copy of the program killed with
// SIGKILL beside one that watches it, and the file server going away and
// coming back under a running copy.
#include "PresenceOffice.h"
#include "board/BoardAccess.h"
#include "board/Heartbeat.h"
#include "board/frmMain.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/QuotedCsv.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "support/Controls.h"
#include "support/SharedPlace.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QThread>

#include <memory>

namespace {

QString rowLine(const QString& name, const QString& login)
{
    return rowLine(name, login, QStringLiteral("06/14 08:00"), QString());
}

void refresh(TestUser& u, frmMain& w)
{
    refreshOnce(u, w);
    QApplication::processEvents();
}

QTableWidgetItem* loginCell(frmMain& w, int row)
{
    return control<QTableWidget>(&w, "DataGrid1")->item(row, 0);
}

bool staleShown(frmMain& w, int row)
{
    QTableWidgetItem* i = loginCell(w, row);
    return i && !i->toolTip().isEmpty();
}

} // namespace

class TestStaleCopy : public QObject
{
    Q_OBJECT

    // The other copy: the real program in a program folder of its own that
    // reaches the share through the second mount.
    static void startCopy(QProcess& p, const QString& exe)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(exe, {});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void killedCopyShowsStale()
    {
        SHARED_PLACE(share, SharedPlace::TwoMounts);
        const int refreshSeconds = 2; // an interval of three seconds
        const qint64 interval = (refreshSeconds + 1) * 1000;
        const QString board = share.file(QStringLiteral("soumu.iki"));
        const QString board2 = share.file2(QStringLiteral("soumu.iki"));
        QCOMPARE(TextFile::writeLines(board, {rowLine(kMe, QStringLiteral("0")), rowLine(kSato, QStringLiteral("0")),
                                              rowLine(kOld, QStringLiteral("1"))}),
                 0);
        QVERIFY(QDir().mkpath(share.file(QStringLiteral("mail"))));
        const QString ban = share.file(QStringLiteral("ban.txt"));
        const QString ban2 = share.file(QStringLiteral("ban2.txt")); // as the other machine names it
        QCOMPARE(TextFile::writeLines(ban, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board)}), 0);
        QCOMPARE(TextFile::writeLines(ban2, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board2)}), 0);

        // The other copy: 佐藤花子 on the second mount.
        QTemporaryDir satoDir;
        const QString exe = satoDir.filePath(QStringLiteral("Porlune"));
        QVERIFY(QFile::copy(QStringLiteral(PORLUNE_BINARY), exe));
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        {
            TestUser sato(satoDir.path());
            storeOfficeSettings(sato, share.file2(QStringLiteral("ban2.txt")), kSato, share.file2(QStringLiteral("mail")),
                            refreshSeconds);
        }
        const QString satoBeat = Paths::join(Heartbeat::folderFor(board), Heartbeat::fileNameFor(kSato));

        // This copy: 山田太郎 on the first mount, its refresh run on a fixed
        // schedule of real time.
        TestUser me;
        storeOfficeSettings(me, ban, kMe, share.file(QStringLiteral("mail")), refreshSeconds);
        auto w = std::make_unique<frmMain>(me.ctx());

        QProcess sato;
        startCopy(sato, exe);
        QVERIFY(sato.waitForStarted());
        const auto end = qScopeGuard([&] {
            sato.kill();
            sato.waitForFinished(5000);
        });
        QTRY_VERIFY_WITH_TIMEOUT(Fs::isFile(satoBeat), 30000);
        w->Form_Load();

        QElapsedTimer clock;
        clock.start();
        qint64 nextLook = 0;
        QByteArray lastBeat = Fs::readBytes(satoBeat);
        qint64 lastBeatAt = 0;
        // Waits for the next look on the schedule, watching the other copy's
        // heartbeat on the way; then refreshes.
        auto look = [&] {
            nextLook += interval;
            while (clock.elapsed() < nextLook) {
                const QByteArray now = Fs::readBytes(satoBeat);
                if (!now.isEmpty() && now != lastBeat) {
                    lastBeat = now;
                    lastBeatAt = clock.elapsed();
                }
                QTest::qWait(20);
            }
            refresh(me, *w);
            QVERIFY2(!staleShown(*w, 2), "an older copy without heartbeat shown stale");
        };

        // Alive: never stale.
        for (int k = 0; k < 5; ++k) {
            look();
            QVERIFY2(!staleShown(*w, 1), qPrintable(QStringLiteral("alive copy shown stale at look %1").arg(k)));
        }
        QCOMPARE(loginCell(*w, 1)->text(), QStringLiteral("*"));

        // Killed right after a beat.
        const QByteArray before = lastBeat;
        QElapsedTimer wait;
        wait.start();
        while (Fs::readBytes(satoBeat) == before && wait.elapsed() < 3 * interval)
            QThread::msleep(5);
        lastBeatAt = clock.elapsed();
        sato.kill(); // SIGKILL
        QVERIFY(sato.waitForFinished(5000));
        const qint64 killedAt = clock.elapsed();
        qint64 staleAt = -1;
        for (int k = 0; k < 6 && staleAt < 0; ++k) {
            look();
            if (staleShown(*w, 1))
                staleAt = clock.elapsed();
        }
        QVERIFY2(staleAt > 0, "the killed copy never shown stale");
        const double afterBeat = double(staleAt - lastBeatAt) / double(interval);
        const double afterKill = double(staleAt - killedAt) / double(interval);
        qInfo("stale %.2f intervals after the last heartbeat, %.2f after the kill (interval %lld ms)", afterBeat,
              afterKill, interval);
        // Looks come every interval, so "between two and three" is met at a
        // look; allow what a look itself takes on the share.
        QVERIFY2(afterBeat >= 2.0 - 0.1 && afterBeat <= 3.0 + 0.35, qPrintable(QString::number(afterBeat)));
        QVERIFY2(afterKill >= 2.0 - 0.1, qPrintable(QString::number(afterKill)));
        QVERIFY(loginCell(*w, 1)->toolTip().startsWith(QStringLiteral("応答がありません（最終確認 ")));

        // Started again: the mark goes.
        QProcess again;
        startCopy(again, exe);
        QVERIFY(again.waitForStarted());
        const QByteArray killedBeat = Fs::readBytes(satoBeat);
        QTRY_VERIFY_WITH_TIMEOUT(Fs::readBytes(satoBeat) != killedBeat, 30000);
        look();
        look();
        QVERIFY2(!staleShown(*w, 1), "a restarted copy still shown stale");

        // A clean end takes the heartbeat away and logs out.
        again.terminate();
        QVERIFY(again.waitForFinished(20000));
        QTRY_VERIFY_WITH_TIMEOUT(!Fs::exists(satoBeat), 10000);
        look();
        QVERIFY(!staleShown(*w, 1));
        QCOMPARE(loginCell(*w, 1)->text(), QStringLiteral(" "));
        w->unload();
    }
};

// The rig's file server stops while this copy runs on its share, then starts
// again: one report per place, the status line follows, no box at every tick,
// the rows stay in view and the board keeps every whereabouts.
class TestShareOutage : public QObject
{
    Q_OBJECT

    static int rig(const QString& command)
    {
        QProcess p;
        p.start(QStringLiteral("bash"), {QStringLiteral(PORLUNE_SOURCE_DIR "/tools/smb-rig.sh"), command});
        if (!p.waitForFinished(60000))
            return -1;
        if (p.exitCode() != 0)
            qWarning("%s", p.readAllStandardError().constData());
        return p.exitCode();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void serverStopsAndComesBack()
    {
        SHARED_PLACE(share, SharedPlace::Share);
        if (qEnvironmentVariableIsEmpty("PORLUNE_RIG_DIR"))
            QSKIP("no rig of our own to stop (PORLUNE_RIG_DIR)");
        const QString board = share.file(QStringLiteral("soumu.iki"));
        QCOMPARE(TextFile::writeLines(board, {rowLine(kMe, QStringLiteral("0")), rowLine(kSato, QStringLiteral("1")),
                                              rowLine(kOld, QStringLiteral("1"))}),
                 0);
        QVERIFY(QDir().mkpath(share.file(QStringLiteral("mail"))));
        const QString ban = share.file(QStringLiteral("ban.txt"));
        QCOMPARE(TextFile::writeLines(ban, {QStringLiteral("1,\"総務部\",\"%1\"").arg(board)}), 0);
        TestUser me;
        storeOfficeSettings(me, ban, kMe, share.file(QStringLiteral("mail")), 1);
        auto w = std::make_unique<frmMain>(me.ctx());
        w->Form_Load();
        auto* status = control<QLabel>(w.get(), "lblStatus");
        auto* grid = control<QTableWidget>(w.get(), "DataGrid1");
        QVERIFY2(status->text().contains(QStringLiteral("掲示板一覧:○　掲示板:○　メール置き場:○")), qPrintable(status->text()));
        const QByteArray before = Fs::readBytes(board);
        QVERIFY(before.contains(Sjis::encode(kSato)));

        QCOMPARE(rig(QStringLiteral("server-stop")), 0);
        const auto restart = qScopeGuard([] { rig(QStringLiteral("server-start")); });
        qint64 longest = 0;
        QElapsedTimer t;
        for (int k = 0; k < 8; ++k) {
            t.start();
            refresh(me, *w);
            longest = std::max(longest, t.elapsed());
        }
        qInfo("share away: longest refresh %lld ms; boxes %lld", longest, qint64(me.box().shown().size()));
        QVERIFY2(status->text().contains(QStringLiteral("掲示板:×")), qPrintable(status->text()));
        const qsizetype reports = me.box().shown().size();
        QVERIFY2(reports >= 1 && reports <= 3, qPrintable(me.box().texts().join(QStringLiteral(" | "))));
        for (const MsgBoxRequest& r : me.box().shown())
            QCOMPARE(r.title, QStringLiteral("共有フォルダ接続エラー"));
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(1, 1)->text(), kSato);
        // Whereabouts set meanwhile wait for the share.
        control<QComboBox>(w.get(), "cboIkisaki")->setEditText(QStringLiteral("本社会議室"));
        control<QPushButton>(w.get(), "cmdSettei")->click();
        QCOMPARE(pendingChangeCount(me.ctx()), 1);
        QVERIFY2(status->text().contains(QStringLiteral("未書込の変更:1件")), qPrintable(status->text()));

        QCOMPARE(rig(QStringLiteral("server-start")), 0);
        QElapsedTimer back;
        back.start();
        while (!status->text().contains(QStringLiteral("掲示板一覧:○　掲示板:○　メール置き場:○")) && back.elapsed() < 60000)
            refresh(me, *w);
        qInfo("share back: status line clear after %lld ms", back.elapsed());
        QVERIFY2(status->text().contains(QStringLiteral("掲示板一覧:○　掲示板:○　メール置き場:○")), qPrintable(status->text()));
        for (int k = 0; k < 3; ++k)
            refresh(me, *w);
        QCOMPARE(me.box().shown().size(), reports); // nothing more once it is back
        // Every row as it was, our login included.
        const QList<QString> lines = TextFile::readLines(board).lines;
        QCOMPARE(lines.size(), 3);
        QCOMPARE(QuotedCsv::parseLine(lines[1]).fields, QuotedCsv::parseLine(Sjis::decode(before).split(QStringLiteral("\r\n"))[1]).fields);
        QCOMPARE(QuotedCsv::parseLine(lines[0]).fields.value(2), QStringLiteral("1"));
        QCOMPARE(QuotedCsv::parseLine(lines[0]).fields.value(1), QStringLiteral("本社会議室"));
        QCOMPARE(pendingChangeCount(me.ctx()), 0);
        QCOMPARE(grid->rowCount(), 3);
        w->unload();
    }
};

PORLUNE_TEST_MAIN(TestStaleCopy, TestShareOutage)

#include "tst_presence_share.moc"
