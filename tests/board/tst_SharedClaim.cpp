#include "tst_SharedClaim.h"

#include "BoardFixture.h"
#include "platform/FileOps.h"
#include "platform/SharedClaim.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

using namespace BoardFixture;

namespace {

SharedClaim::Options quick(int staleAfterMs, int maxWaitMs, SharedClaim::Pause pause = {})
{
    SharedClaim::Options o;
    o.staleAfterMs = staleAfterMs;
    o.maxWaitMs = maxWaitMs;
    o.pause = pause ? std::move(pause) : SharedClaim::Pause([](int ms) { QTest::qSleep(std::min(ms, 20)); });
    return o;
}

QByteArray claimText(const QString& host, qint64 pid, const QString& token, const QString& time = QStringLiteral("2006-06-14T09:05:07"))
{
    return QStringLiteral("porlune-claim 1\nhost %1\npid %2\nstart 0\ntime %3\ntoken %4\nend\n")
        .arg(host)
        .arg(pid)
        .arg(time, token)
        .toUtf8();
}

// The pid of a process that has ended (and been reaped).
qint64 endedPid()
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toLongLong();
}

} // namespace

void TestSharedClaim::exclusive_data()
{
    BOARD_PLACES_DATA();
}

void TestSharedClaim::exclusive()
{
    QFETCH(Place::Kind, place);
    BOARD_PLACE(dir, place);
    const QString lock = SharedClaim::lockPathFor(dir.file(QStringLiteral("a.iki")));
    SharedClaim first(lock, quick(60000, 300));
    QCOMPARE(first.acquire(), 0);
    QVERIFY(first.isHeld());
    QVERIFY(first.stillOurs());
    QVERIFY(Fs::isFile(lock));

    SharedClaim second(lock, quick(60000, 300));
    QCOMPARE(second.acquire(), ETIMEDOUT); // live holder: waits, then gives up
    QVERIFY(!second.isHeld());
    QVERIFY(first.stillOurs());

    QCOMPARE(first.release(), 0);
    QVERIFY(!Fs::exists(lock));
    QCOMPARE(second.acquire(), 0);
    QVERIFY(second.stillOurs());
    QVERIFY(!first.stillOurs());
}

void TestSharedClaim::leftBehindClaimIsTaken_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("staleAfterMs");
    // Same machine, holder process gone: taken at once, whatever the age limit.
    QTest::newRow("same machine, process ended")
        << claimText(SharedClaim::machineKey(), endedPid(), QStringLiteral("dead")) << 600000;
    QTest::newRow("same machine, pid reused by another process")
        << QStringLiteral("porlune-claim 1\nhost %1\npid %2\nstart 1\ntime x\ntoken reused\nend\n")
               .arg(SharedClaim::machineKey())
               .arg(QCoreApplication::applicationPid())
               .toUtf8()
        << 600000;
    // Another machine: only an unchanged claim seen for the age limit.
    QTest::newRow("another machine, unchanged")
        << claimText(QStringLiteral("elsewhere boot ns"), 4242, QStringLiteral("far")) << 300;
    QTest::newRow("created but never written (creator crashed)") << QByteArray() << 300;
    QTest::newRow("garbage") << QByteArray("\x01\x02 not a claim") << 300;
}

void TestSharedClaim::leftBehindClaimIsTaken()
{
    QFETCH(QByteArray, content);
    QFETCH(int, staleAfterMs);
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("b.iki.lck"));
    QCOMPARE(Fs::writeBytes(lock, content), 0);
    SharedClaim c(lock, quick(staleAfterMs, 20000));
    QCOMPARE(c.acquire(), 0);
    QVERIFY(c.stillOurs());
    QVERIFY(!Fs::exists(lock + QStringLiteral(".brk")));
}

void TestSharedClaim::liveClaimOfAnotherMachineIsKept_data()
{
    QTest::addColumn<bool>("touched");
    QTest::addColumn<QString>("time");
    // Its time of day says nothing: clocks of two machines are never compared.
    QTest::newRow("written long ago by its clock") << false << QStringLiteral("1999-01-01T00:00:00");
    QTest::newRow("written in the future by its clock") << false << QStringLiteral("2099-01-01T00:00:00");
    // A holder that keeps touching its claim is alive, however long it holds.
    QTest::newRow("touched by its holder") << true << QStringLiteral("2006-06-14T09:05:07");
}

void TestSharedClaim::liveClaimOfAnotherMachineIsKept()
{
    QFETCH(bool, touched);
    QFETCH(QString, time);
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("c.iki.lck"));
    const QByteArray content = claimText(QStringLiteral("elsewhere boot ns"), 4242, QStringLiteral("alive"), time);
    QCOMPARE(Fs::writeBytes(lock, content), 0);
    qint64 sec = 1000000000;
    int staleAfter = touched ? 100 : 60000;
    SharedClaim c(lock, quick(staleAfter, 1500, [&](int) {
        if (touched) {
            const struct timespec ts[2] = {{sec, 0}, {sec, 0}};
            ++sec;
            ::utimensat(AT_FDCWD, QFile::encodeName(lock).constData(), ts, 0);
        }
        QTest::qSleep(20);
    }));
    QCOMPARE(c.acquire(), ETIMEDOUT);
    QCOMPARE(Fs::readBytes(lock), content);
}

void TestSharedClaim::releaseLeavesAnotherHoldersClaim()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("d.iki.lck"));
    SharedClaim c(lock, quick(60000, 300));
    QCOMPARE(c.acquire(), 0);
    // Meanwhile a waiter took our claim as left behind and holds its own.
    const QByteArray theirs = claimText(QStringLiteral("elsewhere boot ns"), 7, QStringLiteral("theirs"));
    QCOMPARE(Fs::writeBytes(lock, theirs), 0);
    QVERIFY(!c.stillOurs());
    QCOMPARE(c.release(), 0);
    QCOMPARE(Fs::readBytes(lock), theirs);
}

void TestSharedClaim::leftBehindBreakerDoesNotBlock()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("e.iki.lck"));
    QCOMPARE(Fs::writeBytes(lock, claimText(SharedClaim::machineKey(), endedPid(), QStringLiteral("dead"))), 0);
    // A waiter that crashed while breaking it left its breaker file behind.
    QCOMPARE(Fs::writeBytes(lock + QStringLiteral(".brk"), claimText(QStringLiteral("elsewhere boot ns"), 9, QStringLiteral("brk"))), 0);
    SharedClaim c(lock, quick(300, 20000));
    QCOMPARE(c.acquire(), 0);
    QVERIFY(c.stillOurs());
    QVERIFY(!Fs::exists(lock + QStringLiteral(".brk")));
}

void TestSharedClaim::unwritableFolder()
{
    QTemporaryDir dir;
    SharedClaim c(dir.filePath(QStringLiteral("no/such/folder/f.iki.lck")), quick(300, 20000));
    QCOMPARE(c.acquire(), ENOENT); // at once, not after the wait
    QVERIFY(!c.isHeld());
}

void TestSharedClaim::replaceKeepsPreviousAndWaitsForBusyTarget_data()
{
    BOARD_PLACES_DATA();
}

void TestSharedClaim::replaceKeepsPreviousAndWaitsForBusyTarget()
{
    QFETCH(Place::Kind, place);
    BOARD_PLACE(dir, place);
    const QString path = dir.file(QStringLiteral("f.iki"));
    QCOMPARE(Fs::writeBytes(path, "old\r\n"), 0);
    // A reader has the file open: on an SMB share the rename cannot pass until it lets go.
    auto reader = std::make_unique<QFile>(path);
    QVERIFY(reader->open(QIODevice::ReadOnly));
    SharedClaim::Options o = quick(60000, 20000, [&](int) {
        reader.reset();
        QTest::qSleep(5);
    });
    QCOMPARE(SharedClaim::replaceFile(path, "new\r\n", "old\r\n", o), 0);
    reader.reset();
    QCOMPARE(Fs::readBytes(path), QByteArray("new\r\n"));
    QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), QByteArray("old\r\n"));
    // No temporary file is left in the folder.
    const QStringList left = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(left, QStringList({QStringLiteral("f.iki"), QStringLiteral("f.iki.bak")}));
}
