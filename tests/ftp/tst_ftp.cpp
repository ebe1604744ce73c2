// FTP transfers against a real FTP server (pyftpdlib) on a loopback address of
// the test's own, port 21, and the synchronisation run over the FTP list.
#include "board/frmMain.h"
#include "ftp/FtpSync.h"
#include "platform/FileOps.h"
#include "platform/FtpClient.h"
#include "support/LoopbackFtp.h"
#include "support/TestContext.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

using LoopbackFtp::kPassword;
using LoopbackFtp::kUser;

// The loopback servers of the test support, on addresses of this checkout.
struct SilentServer : LoopbackFtp::SilentServer {
    SilentServer() : LoopbackFtp::SilentServer(QStringLiteral(PORLUNE_FTP_SERVER)) {}
};

struct FtpServer : LoopbackFtp::Server {
    explicit FtpServer(bool slow = false) : LoopbackFtp::Server(QStringLiteral(PORLUNE_FTP_SERVER), slow) {}
};

#define START_SERVER(name, ...)                                                                    \
    FtpServer name {__VA_ARGS__};                                                                  \
    QVERIFY2(name.ready(), "the loopback FTP server (python3-pyftpdlib) does not start")

void writeFile(const QString& path, const QByteArray& bytes)
{
    Fs::setReadOnly(path, false);
    QCOMPARE(Fs::writeBytes(path, bytes), 0);
}

FtpListEntry entry(int upDown, const QString& server, const QString& remote, const QString& board,
                   const QString& password = kPassword)
{
    return {upDown, server, remote, kUser, password, board};
}

// Runs one synchronisation and waits for its end; the outcomes by entry.
QList<FtpSync::Outcome> runOnce(FtpSync& sync, const FtpListTable& table)
{
    QList<FtpSync::Outcome> outcomes;
    QObject::connect(&sync, &FtpSync::entryDone, &sync, [&](const FtpSync::Outcome& o) { outcomes.append(o); });
    QSignalSpy finished(&sync, &FtpSync::runFinished);
    if (!sync.FtpList_Sync(table))
        return {};
    finished.wait(120000);
    QObject::disconnect(&sync, &FtpSync::entryDone, &sync, nullptr);
    return outcomes;
}

// The real client, counting the transfers asked of it.
class CountingClient final : public IFtpClient
{
public:
    FtpResult get(const QString& hostSpec, const QString& user, const QString& password, const QString& remotePath,
                  const std::atomic_bool* abort) override
    {
        ++calls;
        return m_real.get(hostSpec, user, password, remotePath, abort);
    }
    FtpResult put(const QString& hostSpec, const QString& user, const QString& password, const QString& remotePath,
                  const QByteArray& bytes, const std::atomic_bool* abort) override
    {
        ++calls;
        return m_real.put(hostSpec, user, password, remotePath, bytes, abort);
    }
    std::atomic_int calls {0};

private:
    CurlFtpClient m_real {{}};
};

} // namespace

class TestFtpClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hostSpecAndPath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        QTest::newRow("leading slash") << "/site/a.iki" << "site/a.iki";
        QTest::newRow("leading backslash") << "\\site\\a.iki" << "site/a.iki";
        QTest::newRow("no separator keeps its first letter") << "site/a.iki" << "site/a.iki";
    }
    void hostSpecAndPath()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        QCOMPARE(ftpRemotePath(typed), sent);
        const FtpHostSpec spec = FtpHostSpec::parse(ftpHostSpecFor(QStringLiteral("ftp.example")));
        QCOMPARE(spec.host, QStringLiteral("ftp.example"));
        QCOMPARE(spec.port, 21);
        QCOMPARE(spec.limitSeconds, 10);
    }

    // Put then get on the real server: binary bytes come back as they went,
    // the upload leaves no temporary name, the log and trace never show the password.
    void putAndGet()
    {
        START_SERVER(server);
        QTemporaryDir program;
        QList<QByteArray> traced;
        CurlFtpClient client({program.filePath(QStringLiteral("ftplog.txt")), 256 * 1024, 64 * 1024 * 1024,
                              [&](const QByteArray& line) { traced.append(line); }});
        QVERIFY(QDir().mkpath(server.file(QStringLiteral("site"))));
        const QByteArray bytes = QByteArray("\"1\",\"\x8e\x52\x93\x63\"\r\n\0\xff\r\n", 16);
        const QString host = ftpHostSpecFor(server.address());
        const FtpResult put = client.put(host, kUser, kPassword, QStringLiteral("site/a.iki"), bytes);
        QVERIFY2(put.ok, qPrintable(put.error));
        QCOMPARE(Fs::readBytes(server.file(QStringLiteral("site/a.iki"))), bytes);
        QCOMPARE(QDir(server.file(QStringLiteral("site"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList {QStringLiteral("a.iki")});
        // As the program asks: the path as typed, which comes back without its slash.
        QString remote = QStringLiteral("/site/a.iki");
        QByteArray got;
        QString error;
        QVERIFY2(FtpGet(client, server.address(), kUser, kPassword, remote, &got, &error), qPrintable(error));
        QCOMPARE(remote, QStringLiteral("site/a.iki"));
        QCOMPARE(got, bytes);

        const QByteArray log = Fs::readBytes(program.filePath(QStringLiteral("ftplog.txt")));
        QVERIFY(log.contains("PUT site/a.iki: OK"));
        QVERIFY(log.contains("GET site/a.iki: OK"));
        QVERIFY(!log.contains(kPassword.toUtf8()));
        QVERIFY(!traced.isEmpty());
        QVERIFY(traced.join().contains("PASS ****"));
        QVERIFY(!traced.join().contains(kPassword.toUtf8()));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("remote");
        QTest::addColumn<bool>("serverUp");
        QTest::addColumn<bool>("connected");
        QTest::newRow("wrong password") << "nope" << "a.iki" << true << false;
        QTest::newRow("missing file") << kPassword << "none.iki" << true << true;
        QTest::newRow("closed port") << kPassword << "a.iki" << false << false;
    }
    void failures()
    {
        QFETCH(QString, password);
        QFETCH(QString, remote);
        QFETCH(bool, serverUp);
        QFETCH(bool, connected);
        START_SERVER(server);
        writeFile(server.file(QStringLiteral("a.iki")), "x");
        if (!serverUp)
            server.stop();
        QTemporaryDir program;
        const QString logPath = program.filePath(QStringLiteral("ftplog.txt"));
        CurlFtpClient client({logPath});
        const FtpResult r = client.get(ftpHostSpecFor(server.address()), kUser, password, remote);
        QVERIFY(!r.ok);
        QCOMPARE(r.connected, connected);
        QVERIFY(!r.error.isEmpty());
        QVERIFY(!Fs::readBytes(logPath).contains(kPassword.toUtf8()));
    }

    // The log keeps to its bound and goes on from whole lines.
    void logBounded()
    {
        QTemporaryDir program;
        FtpLog log(program.filePath(QStringLiteral("ftplog.txt")), 4096);
        for (int k = 0; k < 500; ++k)
            log.write(QStringLiteral("host"), QStringLiteral("GET f%1").arg(k), QStringLiteral("OK"));
        const QByteArray bytes = Fs::readBytes(log.path());
        QVERIFY(bytes.size() <= 4096);
        QVERIFY(bytes.contains("GET f499: OK\r\n"));
        QVERIFY(!bytes.contains("GET f0:"));
        QVERIFY(bytes.at(4) == '/'); // starts with a whole line's date
    }
};

class TestFtpSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Downloads through the list: entries up to the first empty server name;
    // a board is replaced only by a complete file and left read-only; the
    // next download replaces it; "<board>.tmp" of another copy is left alone.
    void downloads()
    {
        START_SERVER(server);
        QTemporaryDir local;
        QVERIFY(QDir().mkpath(server.file(QStringLiteral("site"))));
        writeFile(server.file(QStringLiteral("site/one.iki")), "one v1\r\n");
        writeFile(server.file(QStringLiteral("xsite.iki")), "typed without slash\r\n");
        const QString b1 = local.filePath(QStringLiteral("b1.iki")), b2 = local.filePath(QStringLiteral("b2.iki")),
                      b4 = local.filePath(QStringLiteral("b4.iki"));
        writeFile(b1, "old\r\n");
        writeFile(b1 + QStringLiteral(".tmp"), "someone's transfer");
        FtpListTable table {};
        table[0] = entry(1, server.address(), QStringLiteral("/site/one.iki"), b1);
        table[1] = entry(1, server.address(), QStringLiteral("xsite.iki"), b2);
        table[3] = entry(1, server.address(), QStringLiteral("/site/one.iki"), b4); // after the gap

        CurlFtpClient client({});
        FtpSync sync(client);
        QList<FtpSync::Outcome> out = runOnce(sync, table);
        QCOMPARE(out.size(), 2);
        QCOMPARE(Fs::readBytes(b1), QByteArray("one v1\r\n"));
        QVERIFY(Fs::isReadOnly(b1));
        QCOMPARE(Fs::readBytes(b2), QByteArray("typed without slash\r\n"));
        QVERIFY(!Fs::exists(b4));
        QCOMPARE(Fs::readBytes(b1 + QStringLiteral(".tmp")), QByteArray("someone's transfer"));
        QVERIFY(!Fs::exists(SharedClaim::lockPathFor(b1)));

        writeFile(server.file(QStringLiteral("site/one.iki")), "one v2\r\n");
        out = runOnce(sync, table);
        QCOMPARE(out.size(), 2);
        QCOMPARE(Fs::readBytes(b1), QByteArray("one v2\r\n"));
        QVERIFY(Fs::isReadOnly(b1));
    }

    // A failed download never touches the board: no server, a wrong
    // password, a missing file, and a server stopped in the middle of the file.
    void failedDownloadLeavesBoard_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("closed port") << "closed";
        QTest::newRow("wrong password") << "password";
        QTest::newRow("missing file") << "missing";
        QTest::newRow("server stopped mid-file") << "cut";
    }
    void failedDownloadLeavesBoard()
    {
        QFETCH(QString, what);
        START_SERVER(server, what == QLatin1String("cut"));
        QTemporaryDir local;
        const QString board = local.filePath(QStringLiteral("b.iki"));
        writeFile(board, "old\r\n");
        QByteArray big(2 * 1024 * 1024, 'z');
        writeFile(server.file(QStringLiteral("b.iki")), big);
        if (what == QLatin1String("closed"))
            server.stop();
        FtpListTable table {};
        table[0] = entry(1, server.address(), what == QLatin1String("missing") ? QStringLiteral("/none.iki") : QStringLiteral("/b.iki"),
                         board, what == QLatin1String("password") ? QStringLiteral("bad") : kPassword);
        CurlFtpClient client({});
        FtpSync sync(client);
        // Bound to the sync object: a test that ends early leaves no stop behind.
        if (what == QLatin1String("cut"))
            QTimer::singleShot(1500, &sync, [&] { server.stop(); });
        const QList<FtpSync::Outcome> out = runOnce(sync, table);
        QCOMPARE(out.size(), 1);
        QVERIFY(!out[0].transferred);
        QCOMPARE(Fs::readBytes(board), QByteArray("old\r\n"));
        QVERIFY(!Fs::isReadOnly(board));
        QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList {QStringLiteral("b.iki")});
    }

    // 99 entries: every one is transferred (uploads of one board, each to a
    // name of its own); a hundredth is never looked at.
    void ninetyNineUploads()
    {
        START_SERVER(server);
        QTemporaryDir local;
        const QString board = local.filePath(QStringLiteral("up.iki"));
        writeFile(board, "\"1\",\"board\"\r\n");
        FtpListTable table {};
        for (int k = 0; k < FtpListSize; ++k)
            table[std::size_t(k)] = entry(0, server.address(), QStringLiteral("/u%1.iki").arg(k), board);
        CurlFtpClient client({});
        FtpSync sync(client);
        const QList<FtpSync::Outcome> out = runOnce(sync, table);
        QCOMPARE(out.size(), 99);
        for (const FtpSync::Outcome& o : out)
            QVERIFY2(o.transferred, qPrintable(o.error));
        for (int k = 0; k < 99; ++k)
            QCOMPARE(Fs::readBytes(server.file(QStringLiteral("u%1.iki").arg(k))), QByteArray("\"1\",\"board\"\r\n"));
        QVERIFY(!Fs::exists(server.file(QStringLiteral("u99.iki"))));
        QVERIFY(!Fs::exists(SharedClaim::lockPathFor(board)));
    }

    // A second run is refused while one is going.
    void noOverlappingRuns()
    {
        SilentServer silent;
        QVERIFY(silent.ok());
        QTemporaryDir local;
        FtpListTable table {};
        table[0] = entry(1, silent.address(), QStringLiteral("/b.iki"), local.filePath(QStringLiteral("b.iki")));
        CurlFtpClient client({});
        FtpSync sync(client);
        QVERIFY(sync.FtpList_Sync(table));
        QVERIFY(sync.isRunning());
        QVERIFY(!sync.FtpList_Sync(table));
        sync.stop();
        QVERIFY(!sync.isRunning());
    }

    // The window's thread during a run whose server accepts connections and
    // never answers: the longest pause between 10 ms ticks is printed, as is
    // how long the program's end waits for the run. Figures, not limits.
    void responsiveWhileServerSilent()
    {
        SilentServer silent;
        QVERIFY(silent.ok());
        QTemporaryDir local;
        const QString board = local.filePath(QStringLiteral("b.iki"));
        writeFile(board, "old\r\n");
        FtpListTable table {};
        table[0] = entry(1, silent.address(), QStringLiteral("/b.iki"), board);
        table[1] = entry(1, silent.address(), QStringLiteral("/b.iki"), board);
        CurlFtpClient client({});
        FtpSync sync(client);

        // Gaps between 10 ms ticks of a timer on the window's thread: the
        // longest is how long the window could not answer.
        QElapsedTimer sinceTick;
        QList<qint64> gaps;
        QTimer probe;
        probe.setInterval(10);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (sinceTick.isValid())
                gaps.append(sinceTick.elapsed());
            sinceTick.restart();
        });
        auto figures = [&gaps] {
            std::sort(gaps.begin(), gaps.end());
            return QStringLiteral("%1 ticks, longest pause %2 ms, 99th percentile %3 ms")
                .arg(gaps.size())
                .arg(gaps.isEmpty() ? 0 : gaps.last())
                .arg(gaps.isEmpty() ? 0 : gaps[gaps.size() * 99 / 100]);
        };
        // The same machine without a run, for comparison.
        probe.start();
        QTest::qWait(3000);
        probe.stop();
        const QString idle = figures();
        gaps.clear();
        sinceTick.invalidate();

        QElapsedTimer run;
        run.start();
        probe.start();
        const QList<FtpSync::Outcome> out = runOnce(sync, table);
        probe.stop();
        QCOMPARE(out.size(), 2);
        QVERIFY(!out[0].transferred && !out[1].transferred);
        QCOMPARE(Fs::readBytes(board), QByteArray("old\r\n"));
        QVERIFY(!gaps.isEmpty());
        qInfo("silent server: run of 2 entries took %lld ms; during it %s; idle for 3 s: %s", run.elapsed(),
              qPrintable(figures()), qPrintable(idle));

        QVERIFY(sync.FtpList_Sync(table));
        QTest::qWait(1000);
        QElapsedTimer ending;
        ending.start();
        sync.stop();
        qInfo("silent server: the end of the program waited %lld ms for the run", ending.elapsed());
        QVERIFY(!sync.isRunning());
    }
};

// Timer5 of the loaded main window, ticked by hand, against the real server.
class TestFtpTimer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Setting 82 at 0: the timer stays off and nothing connects. At 1 minute:
    // the first run comes with the first tick after load, the next 61 ticks
    // later; each run uploads the board.
    void runsByTheTick_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QList<int>>("runTicks");
        QTest::newRow("off") << 0 << QList<int> {};
        QTest::newRow("one minute") << 1 << QList<int> {1, 62};
    }
    void runsByTheTick()
    {
        QFETCH(int, minutes);
        QFETCH(QList<int>, runTicks);
        START_SERVER(server);
        TestUser u;
        CountingClient client;
        u.ctx().setFtpClient(&client);
        u.loadSettings();
        u.ctx().iniFile().store(SettingNo::FtpInterval, QString::number(minutes));
        const QString board = QDir(u.folder()).filePath(QStringLiteral("up.iki"));
        writeFile(board, "\"1\",\"tick\"\r\n");
        u.ctx().ftpList()[0] = entry(0, server.address(), QStringLiteral("/up.iki"), board);

        frmMain w(u.ctx());
        w.Form_Load();
        QCOMPARE(w.Timer5.isActive(), minutes > 0);
        QList<int> ran;
        if (w.Timer5.isActive()) {
            w.Timer5.stop(); // ticked by hand from here
            for (int tick = 1; tick <= 62; ++tick) {
                w.Timer5_Timer();
                if (w.ftpSync() && w.ftpSync()->isRunning()) {
                    ran.append(tick);
                    QSignalSpy finished(w.ftpSync(), &FtpSync::runFinished);
                    QVERIFY(finished.wait(30000));
                }
            }
        } else {
            QTest::qWait(1500); // a second's tick would have come
        }
        QCOMPARE(ran, runTicks);
        QCOMPARE(client.calls.load(), int(runTicks.size()));
        QCOMPARE(Fs::exists(server.file(QStringLiteral("up.iki"))), !runTicks.isEmpty());
        w.unload();
    }
};

PORLUNE_TEST_MAIN(TestFtpClient, TestFtpSync, TestFtpTimer)

#include "tst_ftp.moc"
