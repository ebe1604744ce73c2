// FTP transfers against a real FTP server (pyftpdlib) on a loopback address of
// the test's own, port 21, and the synchronisation run over the FTP list.
#include "ftp/FtpSync.h"
#include "platform/FileOps.h"
#include "platform/FtpClient.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kUser = QStringLiteral("porlune");
const QString kPassword = QStringLiteral("s3cret-pw");

// Addresses of this checkout: 127.A.B.x, A and B from the source folder's
// path, so the servers of two checkouts tested side by side never meet; x
// counts up within the run (127.0.0.0/8 is routed to lo whole).
QString freshLoopback()
{
    static const QByteArray mark =
        QCryptographicHash::hash(QByteArrayLiteral(PORLUNE_FTP_SERVER), QCryptographicHash::Sha1);
    static int next = 0;
    return QStringLiteral("127.%1.%2.%3")
        .arg(1 + quint8(mark[0]) % 254)
        .arg(quint8(mark[1]))
        .arg(2 + next++ % 250);
}

// A server that takes connections (the system completes them) and never says
// a word.
class SilentServer
{
public:
    SilentServer()
    {
        m_address = freshLoopback();
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_port = htons(21);
        ::inet_pton(AF_INET, m_address.toLatin1().constData(), &a.sin_addr);
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(m_fd, 16) == 0;
    }
    ~SilentServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_ok; }
    const QString& address() const { return m_address; }

private:
    QString m_address;
    int m_fd = -1;
    bool m_ok = false;
};

// The real server, with a folder of its own; stopped when the test ends.
class FtpServer
{
public:
    explicit FtpServer(bool slow = false)
    {
        m_address = freshLoopback();
        QStringList args {QStringLiteral(PORLUNE_FTP_SERVER), m_address, QStringLiteral("21"), kUser, kPassword, m_root.path()};
        if (slow)
            args << QStringLiteral("slow");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Debian's interpreter, which has python3-pyftpdlib.
        m_process.start(QStringLiteral("/usr/bin/python3"), args);
        m_process.waitForReadyRead(10000);
        m_ready = m_process.readAllStandardOutput().contains("ready");
    }
    ~FtpServer() { stop(); }
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool ready() const { return m_ready; }
    const QString& address() const { return m_address; }
    QString file(const QString& name) const { return m_root.filePath(name); }

private:
    QTemporaryDir m_root;
    QProcess m_process;
    QString m_address;
    bool m_ready = false;
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

        QElapsedTimer sinceTick;
        qint64 worstGap = 0;
        int ticks = 0;
        QTimer probe;
        probe.setInterval(10);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (sinceTick.isValid())
                worstGap = std::max(worstGap, sinceTick.elapsed());
            sinceTick.restart();
            ++ticks;
        });
        QElapsedTimer run;
        run.start();
        probe.start();
        const QList<FtpSync::Outcome> out = runOnce(sync, table);
        probe.stop();
        QCOMPARE(out.size(), 2);
        QVERIFY(!out[0].transferred && !out[1].transferred);
        QCOMPARE(Fs::readBytes(board), QByteArray("old\r\n"));
        QVERIFY(ticks > 0);
        qInfo("silent server: run of 2 entries took %lld ms; window ticks %d, longest pause %lld ms",
              run.elapsed(), ticks, worstGap);

        QVERIFY(sync.FtpList_Sync(table));
        QTest::qWait(1000);
        QElapsedTimer ending;
        ending.start();
        sync.stop();
        qInfo("silent server: the end of the program waited %lld ms for the run", ending.elapsed());
        QVERIFY(!sync.isRunning());
    }
};

PORLUNE_TEST_MAIN(TestFtpClient, TestFtpSync)

#include "tst_ftp.moc"
