#include "tst_SharedClaim.h"

#include "BoardFixture.h"
#include "platform/FileOps.h"
#include "platform/SharedClaim.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <thread>
#include <sys/stat.h>

using namespace BoardFixture;

namespace {

// How a claim was left: a folder with its description (this build), a folder
// whose description was never written, or a plain file (older builds).
enum class Form { Described, Undescribed, OldFile };

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

QByteArray otherMachine(const QString& token)
{
    return claimText(QStringLiteral("elsewhere boot ns"), 4242, token);
}

// The pid of a process that has ended (and been reaped).
qint64 endedPid()
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toLongLong();
}

// Leaves a claim at lock as another copy (or an older build) would.
void leaveClaim(const QString& lock, Form form, const QByteArray& content)
{
    if (form == Form::OldFile) {
        QCOMPARE(Fs::writeBytes(lock, content), 0);
        return;
    }
    QCOMPARE(Fs::makeDir(lock), 0);
    if (form == Form::Described)
        QCOMPARE(Fs::writeBytes(SharedClaim::descriptionPathFor(lock), content), 0);
}

// Whatever stands at path and inside it, for comparing before and after.
QByteArray claimState(const QString& lock)
{
    if (Fs::isDir(lock))
        return "folder:" + Fs::readBytes(SharedClaim::descriptionPathFor(lock));
    if (Fs::isFile(lock))
        return "file:" + Fs::readBytes(lock);
    return "nothing";
}

// Names left in a folder besides the ones expected: no claim moved aside and
// forgotten, no breaker.
QStringList leftovers(const QString& folder, const QStringList& expected)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& e : expected)
        names.removeAll(e);
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Form)

void TestSharedClaim::exclusive_data()
{
    SHARED_PLACES_TWO_MOUNTS_DATA();
}

// The second claimer works through the second mount where there is one: the
// claim must hold between two clients of the share.
void TestSharedClaim::exclusive()
{
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(dir, place);
    const QString lock = SharedClaim::lockPathFor(dir.file(QStringLiteral("a.iki")));
    const QString lock2 = SharedClaim::lockPathFor(dir.file2(QStringLiteral("a.iki")));
    SharedClaim first(lock, quick(60000, 300));
    QCOMPARE(first.acquire(), 0);
    QVERIFY(first.isHeld());
    QVERIFY(first.stillOurs());
    QVERIFY(Fs::isDir(lock));
    const SharedClaim::Holder holder = SharedClaim::parse(Fs::readBytes(SharedClaim::descriptionPathFor(lock)));
    QVERIFY(holder.valid);
    QCOMPARE(holder.host, SharedClaim::machineKey());
    QCOMPARE(holder.pid, QCoreApplication::applicationPid());

    SharedClaim second(lock2, quick(60000, 300));
    QCOMPARE(second.acquire(), ETIMEDOUT); // live holder: waits, then gives up
    QVERIFY(!second.isHeld());
    QVERIFY(first.stillOurs());

    QCOMPARE(first.release(), 0);
    QVERIFY(!Fs::exists(lock));
    QCOMPARE(second.acquire(), 0);
    QVERIFY(second.stillOurs());
    QVERIFY(!first.stillOurs());
    QCOMPARE(second.release(), 0);
    QCOMPARE(leftovers(dir.path(), {}), QStringList());
}

void TestSharedClaim::briefClaimUndescribed_data()
{
    SHARED_PLACES_TWO_MOUNTS_DATA();
}

// A claim held for a moment goes without a description: the folder alone
// excludes others (through the second client too), its holder knows it by
// the folder's identity even after the mount's cached attributes expired,
// and one held longer is described at its first refresh.
void TestSharedClaim::briefClaimUndescribed()
{
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(dir, place);
    const QString lock = SharedClaim::lockPathFor(dir.file(QStringLiteral("u.iki")));
    const QString lock2 = SharedClaim::lockPathFor(dir.file2(QStringLiteral("u.iki")));
    SharedClaim::Options lazy = quick(8000, 300);
    lazy.describeWhenSlow = true;
    lazy.refreshEveryMs = 1500;
    SharedClaim brief(lock, lazy);
    QCOMPARE(brief.acquire(), 0);
    QVERIFY(Fs::isDir(lock));
    QVERIFY(!Fs::exists(SharedClaim::descriptionPathFor(lock)));
    SharedClaim other(lock2, quick(8000, 300));
    QCOMPARE(other.acquire(), ETIMEDOUT);
    QTest::qSleep(1600);
    QVERIFY(brief.stillOurs());
    QCOMPARE(SharedClaim::inspect(lock).described, false);
    brief.refresh();
    const SharedClaim::Holder holder = SharedClaim::parse(Fs::readBytes(SharedClaim::descriptionPathFor(lock)));
    QVERIFY(holder.valid);
    QCOMPARE(holder.pid, QCoreApplication::applicationPid());
    QVERIFY(brief.stillOurs());
    QCOMPARE(brief.release(), 0);
    QVERIFY(!Fs::exists(lock));

    // Taken and let go at once, as a board refresh does: nothing stays.
    SharedClaim again(lock2, lazy);
    QCOMPARE(again.acquire(), 0);
    QVERIFY(again.stillOurs());
    QCOMPARE(again.release(), 0);
    QCOMPARE(leftovers(dir.path(), {}), QStringList());
}

void TestSharedClaim::undescribedClaimTakenOverWhenStale_data()
{
    QTest::addColumn<SharedPlace::Kind>("place");
    QTest::addColumn<bool>("waiterDescribes");
    for (const auto& [place, name] : {std::pair {SharedPlace::Local, "local"}, std::pair {SharedPlace::Share, "share"}}) {
        QTest::addRow("%s, by a waiter that describes its claim", name) << place << true;
        QTest::addRow("%s, by a waiter that leaves its claim undescribed", name) << place << false;
    }
}

// A holder stopped while its claim is undescribed loses it after the stale
// age, as a copy that died while making one would; afterwards it must know
// the claim is not its own, even when the new one is undescribed too, and
// its release must leave the new holder's claim alone.
void TestSharedClaim::undescribedClaimTakenOverWhenStale()
{
    QFETCH(SharedPlace::Kind, place);
    QFETCH(bool, waiterDescribes);
    SHARED_PLACE(dir, place);
    const QString lock = SharedClaim::lockPathFor(dir.file(QStringLiteral("t.iki")));
    SharedClaim::Options lazy = quick(400, 5000);
    lazy.describeWhenSlow = true;
    lazy.refreshEveryMs = 60000; // stopped: never refreshed
    SharedClaim stopped(lock, lazy);
    QCOMPARE(stopped.acquire(), 0);
    SharedClaim::Options waiterOptions = quick(400, 5000);
    waiterOptions.describeWhenSlow = !waiterDescribes;
    SharedClaim waiter(lock, waiterOptions);
    QElapsedTimer t;
    t.start();
    QCOMPARE(waiter.acquire(), 0);
    QVERIFY2(t.elapsed() >= 400, qPrintable(QStringLiteral("taken after %1 ms").arg(t.elapsed())));
    QVERIFY(waiter.stillOurs());
    QVERIFY(!stopped.stillOurs());
    QCOMPARE(stopped.release(), 0);
    QVERIFY(Fs::isDir(lock));
    QVERIFY(waiter.stillOurs());
    QCOMPARE(waiter.release(), 0);
    QVERIFY(!Fs::exists(lock));
}

void TestSharedClaim::leftBehindClaimIsTaken_data()
{
    QTest::addColumn<Form>("form");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("staleAfterMs");
    const QByteArray dead = claimText(SharedClaim::machineKey(), endedPid(), QStringLiteral("dead"));
    const QByteArray reused = QStringLiteral("porlune-claim 1\nhost %1\npid %2\nstart 1\ntime x\ntoken reused\nend\n")
                                  .arg(SharedClaim::machineKey())
                                  .arg(QCoreApplication::applicationPid())
                                  .toUtf8();
    // Same machine, holder process gone: taken at once, whatever the age limit.
    QTest::newRow("same machine, process ended") << Form::Described << dead << 600000;
    QTest::newRow("same machine, pid reused by another process") << Form::Described << reused << 600000;
    // Another machine: only an unchanged claim seen for the age limit.
    QTest::newRow("another machine, unchanged") << Form::Described << otherMachine(QStringLiteral("far")) << 300;
    QTest::newRow("folder made, description never written (maker crashed)") << Form::Undescribed << QByteArray() << 300;
    QTest::newRow("description created, never filled") << Form::Described << QByteArray() << 300;
    QTest::newRow("garbage description") << Form::Described << QByteArray("\x01\x02 not a claim") << 300;
    // Claim files of an older build follow the same rules.
    QTest::newRow("older build's file, process ended") << Form::OldFile << dead << 600000;
    QTest::newRow("older build's file, another machine") << Form::OldFile << otherMachine(QStringLiteral("far")) << 300;
    QTest::newRow("older build's file, empty") << Form::OldFile << QByteArray() << 300;
}

void TestSharedClaim::leftBehindClaimIsTaken()
{
    QFETCH(Form, form);
    QFETCH(QByteArray, content);
    QFETCH(int, staleAfterMs);
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("b.iki.lck"));
    leaveClaim(lock, form, content);
    SharedClaim c(lock, quick(staleAfterMs, 20000));
    QCOMPARE(c.acquire(), 0);
    QVERIFY(c.stillOurs());
    QVERIFY(Fs::isDir(lock)); // a claim of this build now, whatever was there
    QCOMPARE(leftovers(dir.path(), {QStringLiteral("b.iki.lck")}), QStringList());
    QCOMPARE(c.release(), 0);
    QVERIFY(!Fs::exists(lock));
}

void TestSharedClaim::liveClaimOfAnotherMachineIsKept_data()
{
    QTest::addColumn<Form>("form");
    QTest::addColumn<bool>("touched");
    QTest::addColumn<QString>("time");
    // Its time of day says nothing: clocks of two machines are never compared.
    QTest::newRow("written long ago by its clock") << Form::Described << false << QStringLiteral("1999-01-01T00:00:00");
    QTest::newRow("written in the future by its clock") << Form::Described << false << QStringLiteral("2099-01-01T00:00:00");
    QTest::newRow("older build's file") << Form::OldFile << false << QStringLiteral("2006-06-14T09:05:07");
    // A holder that keeps touching its claim is alive, however long it holds.
    QTest::newRow("touched by its holder") << Form::Described << true << QStringLiteral("2006-06-14T09:05:07");
    QTest::newRow("older build's file, touched") << Form::OldFile << true << QStringLiteral("2006-06-14T09:05:07");
}

void TestSharedClaim::liveClaimOfAnotherMachineIsKept()
{
    QFETCH(Form, form);
    QFETCH(bool, touched);
    QFETCH(QString, time);
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("c.iki.lck"));
    const QByteArray content = claimText(QStringLiteral("elsewhere boot ns"), 4242, QStringLiteral("alive"), time);
    leaveClaim(lock, form, content);
    const QByteArray before = claimState(lock);
    const QString touchedPath = form == Form::OldFile ? lock : SharedClaim::descriptionPathFor(lock);
    qint64 sec = 1000000000;
    int staleAfter = touched ? 100 : 60000;
    SharedClaim c(lock, quick(staleAfter, 1500, [&](int) {
        if (touched) {
            const struct timespec ts[2] = {{sec, 0}, {sec, 0}};
            ++sec;
            ::utimensat(AT_FDCWD, QFile::encodeName(touchedPath).constData(), ts, 0);
        }
        QTest::qSleep(20);
    }));
    QCOMPARE(c.acquire(), ETIMEDOUT);
    QCOMPARE(claimState(lock), before);
    QCOMPARE(leftovers(dir.path(), {QStringLiteral("c.iki.lck")}), QStringList());
}

// A claim being made (folder there, description not yet) is not broken while
// its maker goes on: the folder changes when the description appears.
void TestSharedClaim::claimBeingMadeIsKept()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("m.iki.lck"));
    leaveClaim(lock, Form::Undescribed, {});
    const QByteArray theirs = otherMachine(QStringLiteral("maker"));
    int pauses = 0;
    SharedClaim c(lock, quick(200, 1000, [&](int) {
        // The maker writes its description after a while, then keeps it fresh.
        if (++pauses == 5)
            QVERIFY(Fs::writeBytes(SharedClaim::descriptionPathFor(lock), theirs) == 0);
        if (pauses > 5) {
            const struct timespec ts[2] = {{time_t(1000000000 + pauses), 0}, {time_t(1000000000 + pauses), 0}};
            ::utimensat(AT_FDCWD, QFile::encodeName(SharedClaim::descriptionPathFor(lock)).constData(), ts, 0);
        }
        QTest::qSleep(20);
    }));
    QCOMPARE(c.acquire(), ETIMEDOUT);
    QCOMPARE(Fs::readBytes(SharedClaim::descriptionPathFor(lock)), theirs);
}

void TestSharedClaim::releaseLeavesAnotherHoldersClaim()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("d.iki.lck"));
    SharedClaim c(lock, quick(200, 300));
    QCOMPARE(c.acquire(), 0);
    // We stood still past the stale age; meanwhile a waiter took our claim as
    // left behind and holds its own.
    QTest::qSleep(250);
    const QByteArray theirs = otherMachine(QStringLiteral("theirs"));
    QCOMPARE(Fs::writeBytes(SharedClaim::descriptionPathFor(lock), theirs), 0);
    QVERIFY(!c.stillOurs());
    QCOMPARE(c.release(), 0);
    QCOMPARE(Fs::readBytes(SharedClaim::descriptionPathFor(lock)), theirs);
}

void TestSharedClaim::leftBehindBreakerDoesNotBlock_data()
{
    QTest::addColumn<Form>("form");
    QTest::newRow("breaker folder") << Form::Described;
    QTest::newRow("breaker folder without description") << Form::Undescribed;
    QTest::newRow("older build's breaker file") << Form::OldFile;
}

void TestSharedClaim::leftBehindBreakerDoesNotBlock()
{
    QFETCH(Form, form);
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("e.iki.lck"));
    leaveClaim(lock, Form::Described, claimText(SharedClaim::machineKey(), endedPid(), QStringLiteral("dead")));
    // A waiter that crashed while breaking it left its breaker behind.
    leaveClaim(lock + QStringLiteral(".brk"), form, otherMachine(QStringLiteral("brk")));
    SharedClaim c(lock, quick(300, 20000));
    QCOMPARE(c.acquire(), 0);
    QVERIFY(c.stillOurs());
    QCOMPARE(leftovers(dir.path(), {QStringLiteral("e.iki.lck")}), QStringList());
}

// While another waiter's breaker claim is alive, a waiter leaves the stale
// claim to it instead of breaking it a second time.
void TestSharedClaim::liveBreakerIsLeftAlone()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("g.iki.lck"));
    const QString breaker = lock + QStringLiteral(".brk");
    leaveClaim(lock, Form::Described, claimText(SharedClaim::machineKey(), endedPid(), QStringLiteral("dead")));
    leaveClaim(breaker, Form::Described, otherMachine(QStringLiteral("breaking")));
    time_t sec = 1000000000;
    SharedClaim c(lock, quick(200, 1000, [&](int) {
        ++sec; // the breaker is busy: its claim keeps changing
        const struct timespec ts[2] = {{sec, 0}, {sec, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(SharedClaim::descriptionPathFor(breaker)).constData(), ts, 0);
        QTest::qSleep(20);
    }));
    QCOMPARE(c.acquire(), ETIMEDOUT);
    QCOMPARE(SharedClaim::parse(Fs::readBytes(SharedClaim::descriptionPathFor(lock))).token, QStringLiteral("dead"));
    QCOMPARE(SharedClaim::parse(Fs::readBytes(SharedClaim::descriptionPathFor(breaker))).token, QStringLiteral("breaking"));
}

void TestSharedClaim::twoBreakers_data()
{
    QTest::addColumn<SharedPlace::Kind>("place");
    QTest::addColumn<Form>("form");
    QTest::newRow("local, described") << SharedPlace::Local << Form::Described;
    QTest::newRow("local, without description") << SharedPlace::Local << Form::Undescribed;
    QTest::newRow("local, older build's file") << SharedPlace::Local << Form::OldFile;
    QTest::newRow("two mounts, described") << SharedPlace::TwoMounts << Form::Described;
    QTest::newRow("two mounts, without description") << SharedPlace::TwoMounts << Form::Undescribed;
    QTest::newRow("two mounts, older build's file") << SharedPlace::TwoMounts << Form::OldFile;
}

// Two waiters judged the same claim stale. The first breaks it and a copy takes
// a new claim; the second, coming late with its old judgement, must leave the
// new claim alone.
void TestSharedClaim::twoBreakers()
{
    QFETCH(SharedPlace::Kind, place);
    QFETCH(Form, form);
    SHARED_PLACE(dir, place);
    const QString lock = SharedClaim::lockPathFor(dir.file(QStringLiteral("h.iki")));
    const QString lock2 = SharedClaim::lockPathFor(dir.file2(QStringLiteral("h.iki")));
    leaveClaim(lock, form, otherMachine(QStringLiteral("stale")));
    const SharedClaim::Options o = quick(60000, 2000);
    const SharedClaim::Sight first = SharedClaim::inspect(lock);
    const SharedClaim::Sight second = SharedClaim::inspect(lock2);
    QVERIFY(first.kind != SharedClaim::Sight::Nothing);
    QVERIFY(second.kind != SharedClaim::Sight::Nothing);

    QVERIFY(SharedClaim::removeIfStill(lock, first, o));
    QVERIFY(!Fs::exists(lock));
    SharedClaim next(lock, o);
    QCOMPARE(next.acquire(), 0);

    QVERIFY(!SharedClaim::removeIfStill(lock2, second, o));
    QVERIFY(next.stillOurs());
    QCOMPARE(next.release(), 0);
    QCOMPARE(leftovers(dir.path(), {}), QStringList());
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
    SHARED_PLACES_DATA();
}

void TestSharedClaim::replaceKeepsPreviousAndWaitsForBusyTarget()
{
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(dir, place);
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

// A write whose rename stays busy for longer than the stale age must not lose
// its claim to a waiter: both would write. A bind mount over the target makes
// the rename fail with EBUSY, as an open file on an SMB share does.
void TestSharedClaim::claimStaysAliveWhileABusyWriteRetries()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.iki"));
    const QString cover = dir.filePath(QStringLiteral("cover"));
    QCOMPARE(Fs::writeBytes(path, "old\r\n"), 0);
    QCOMPARE(Fs::writeBytes(cover, "cover\r\n"), 0);
    auto run = [](const QStringList& args) {
        QProcess p;
        p.start(args.first(), args.mid(1));
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    if (!run({QStringLiteral("mount"), QStringLiteral("--bind"), cover, path}))
        QSKIP("a bind mount is needed to keep the target busy (root with CAP_SYS_ADMIN)");
    bool mounted = true;
    auto unmount = [&] {
        if (mounted)
            mounted = !run({QStringLiteral("umount"), path});
    };
    const auto guard = qScopeGuard(unmount);

    const QString lock = SharedClaim::lockPathFor(path);
    const int staleMs = 300;
    QElapsedTimer writing;
    SharedClaim::Options o = quick(staleMs, 20000, [&](int) {
        if (writing.isValid() && writing.elapsed() > 4 * staleMs)
            unmount(); // the target lets go
        QTest::qSleep(10);
    });
    o.refreshEveryMs = 50;
    o.busyRetryMs = 10000;
    SharedClaim holder(lock, o);
    QCOMPARE(holder.acquire(), 0);

    std::atomic<bool> released {false}, waiterIn {false}, waiterEarly {false};
    std::atomic<int> waiterResult {-1};
    std::thread waiter([&] {
        SharedClaim w(lock, quick(staleMs, 10000, [](int ms) { QTest::qSleep(std::min(ms, 20)); }));
        waiterResult = w.acquire();
        waiterEarly = !released;
        waiterIn = true;
        if (w.isHeld())
            w.release();
    });
    writing.start();
    const int written = holder.replaceHeld(path, "new\r\n", {});
    const bool stillOurs = holder.stillOurs();
    released = true;
    holder.release();
    waiter.join();

    QCOMPARE(written, 0);
    QVERIFY(!mounted);
    QCOMPARE(Fs::readBytes(path), QByteArray("new\r\n"));
    QVERIFY(stillOurs);
    QVERIFY(waiterIn);
    QCOMPARE(waiterResult.load(), 0);
    QVERIFY2(!waiterEarly, "the waiter took the claim while the write was still retrying");
}

void TestSharedClaim::lateHolderFindsTheChange_data()
{
    QTest::addColumn<SharedPlace::Kind>("place");
    QTest::addColumn<QByteArray>("onBoard"); // what the board holds at the replace
    QTest::addColumn<int>("expectedError");
    QTest::newRow("local, unchanged") << SharedPlace::Local << QByteArray("read\r\n") << 0;
    QTest::newRow("local, changed by another") << SharedPlace::Local << QByteArray("theirs\r\n") << ESTALE;
    QTest::newRow("local, missing") << SharedPlace::Local << QByteArray() << ESTALE;
    QTest::newRow("share, unchanged") << SharedPlace::Share << QByteArray("read\r\n") << 0;
    QTest::newRow("share, changed by another") << SharedPlace::Share << QByteArray("theirs\r\n") << ESTALE;
}

// A holder stopped longer than the stale age loses its claim unknowingly;
// whoever took it over may have written. Its replace must then change nothing.
void TestSharedClaim::lateHolderFindsTheChange()
{
    QFETCH(SharedPlace::Kind, place);
    QFETCH(QByteArray, onBoard);
    QFETCH(int, expectedError);
    const SharedPlace where(place);
    const QString path = where.file(QStringLiteral("late.iki"));
    SharedClaim mine(SharedClaim::lockPathFor(path), quick(8000, 20000));
    QCOMPARE(mine.acquire(), 0);
    if (!onBoard.isEmpty())
        QCOMPARE(Fs::writeBytes(path, onBoard), 0);
    const int err = mine.replaceHeldIfStill(path, "mine\r\n", "read\r\n", true);
    mine.release();
    QCOMPARE(err, expectedError);
    QCOMPARE(Fs::readBytes(path), err ? onBoard : QByteArray("mine\r\n"));
    QCOMPARE(Fs::exists(path), err == 0 || !onBoard.isEmpty());
    if (err == 0)
        QCOMPARE(Fs::readBytes(path + QStringLiteral(".bak")), QByteArray("read\r\n"));
    QStringList left = Fs::list(where.path(), QStringLiteral("late.iki*"));
    left.removeAll(QStringLiteral("late.iki"));
    left.removeAll(QStringLiteral("late.iki.bak"));
    QCOMPARE(left, QStringList());
    QCOMPARE(Fs::list(where.path(), QStringLiteral("~plw*")), QStringList());
}

// A copy on another machine died while breaking a left claim: both the claim
// and its breaker stay. Both are watched from the first look, so taking over
// costs one stale age, not two.
void TestSharedClaim::claimAndLeftBreakerTakenInOneStaleAge()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("k.iki.lck"));
    leaveClaim(lock, Form::Described, otherMachine(QStringLiteral("dead")));
    leaveClaim(lock + QStringLiteral(".brk"), Form::Described, otherMachine(QStringLiteral("died breaking")));
    constexpr int staleMs = 1000;
    SharedClaim c(lock, quick(staleMs, 20000));
    QElapsedTimer t;
    t.start();
    QCOMPARE(c.acquire(), 0);
    const qint64 took = t.elapsed();
    QVERIFY(c.stillOurs());
    // One after the other they took two stale ages.
    QVERIFY2(took < staleMs * 3 / 2, qPrintable(QStringLiteral("took %1 ms").arg(took)));
}

void TestSharedClaim::leftoversSweptByTheSharesClock_data()
{
    SHARED_PLACES_DATA();
}

// What copies killed while writing leave in a shared folder goes once it is
// old by the stamp of a file just written there; what is young, in use, or
// still needed (a staging file kept across starts, a claimed drop, the only
// state of a file taken aside) stays.
void TestSharedClaim::leftoversSweptByTheSharesClock()
{
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(where, place);
    const QString written = where.file(QStringLiteral("w.iki"));
    QCOMPARE(Fs::writeBytes(written, "board\r\n"), 0);
    const qint64 shareNow = Fs::stamp(written).mtimeNs;
    // Aged only once everything is made: on the SMB mount a file's close
    // reaches the server after close() returns and stamps the file anew,
    // which would undo an age set in between.
    QList<std::pair<QString, int>> ages;
    const auto age = [&](const QString& name, int seconds) { ages.append({name, seconds}); };
    const auto applyAges = [&] {
        const auto wanted = [&](int seconds) { return shareNow - qint64(seconds) * 1000000000; };
        const auto set = [&](const QString& name, qint64 ns) {
            const struct timespec ts[2] = {{time_t(ns / 1000000000), long(ns % 1000000000)},
                                           {time_t(ns / 1000000000), long(ns % 1000000000)}};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(where.file(name)).constData(), ts, 0), 0);
        };
        for (const auto& [name, seconds] : ages)
            set(name, wanted(seconds));
        // Until two looks in a row find every age in place.
        QDeadlineTimer deadline(10000);
        for (int steady = 0; steady < 2;) {
            QTest::qWait(100);
            ++steady;
            for (const auto& [name, seconds] : ages) {
                if (Fs::stamp(where.file(name)).mtimeNs / 1000000000 != wanted(seconds) / 1000000000) {
                    set(name, wanted(seconds));
                    steady = 0;
                }
            }
            QVERIFY2(!deadline.hasExpired(), "the ages set do not stay");
        }
    };
    const QByteArray dead = otherMachine(QStringLiteral("dead"));
    const auto claimFolder = [&](const QString& name, int seconds) {
        leaveClaim(where.file(name), Form::Described, dead);
        age(name + QStringLiteral("/holder"), seconds);
        age(name, seconds);
    };
    const auto file = [&](const QString& name, int seconds, const QByteArray& bytes = "x") {
        QCOMPARE(Fs::writeBytes(where.file(name), bytes), 0);
        age(name, seconds);
    };
    const int hour = 3600;
    // Old: every one goes.
    file(QStringLiteral("~plw1_2_a.tmp"), hour);
    claimFolder(QStringLiteral("~plw1_3_b.tmp"), hour); // a claim moved aside
    claimFolder(QStringLiteral("x.iki.lck"), hour);
    claimFolder(QStringLiteral("v.iki.lck"), hour);
    claimFolder(QStringLiteral("v.iki.lck.brk"), hour); // its breaker, left too
    file(QStringLiteral("o.iki.lck"), hour, dead); // an older build's claim file
    QCOMPARE(Fs::makeDir(where.file(QStringLiteral("~plc001_Taro"))), 0);
    age(QStringLiteral("~plc001_Taro"), hour);
    file(QStringLiteral("w.iki.~plh1_a"), hour); // w.iki is back in place
    // Kept: young, needed, or not ours.
    file(QStringLiteral("~plw1_4_c.tmp"), 60);
    claimFolder(QStringLiteral("y.iki.lck"), 60);
    file(QStringLiteral("gone.iki.~plh1_b"), hour); // the only state of gone.iki
    file(QStringLiteral("~plqTaro_20060614093000Hanako_001.tmp"), hour);
    file(QStringLiteral("~plwTaro_20060614093000Hanako_001.tmp"), hour); // an earlier build's staging
    file(QStringLiteral("~plf0123456789abcdef_Taro.001"), hour);
    file(QStringLiteral("notes.lck"), hour, "not a claim");
    SharedClaim live(SharedClaim::lockPathFor(where.file(QStringLiteral("z.iki"))), quick(8000, 1000));
    QCOMPARE(live.acquire(), 0);
    applyAges();
    if (QTest::currentTestFailed())
        return;

    const int removed = SharedClaim::sweepLeftovers(written);
    QStringList left = QDir(where.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    QStringList kept = {QStringLiteral("w.iki"), QStringLiteral("~plw1_4_c.tmp"),
                                      QStringLiteral("y.iki.lck"), QStringLiteral("gone.iki.~plh1_b"),
                                      QStringLiteral("~plqTaro_20060614093000Hanako_001.tmp"),
                                      QStringLiteral("~plwTaro_20060614093000Hanako_001.tmp"),
                                      QStringLiteral("~plf0123456789abcdef_Taro.001"), QStringLiteral("notes.lck"),
                                      QStringLiteral("z.iki.lck")};
    kept.sort();
    QCOMPARE(left.join(u' '), kept.join(u' '));
    QCOMPARE(removed, 8);
    QVERIFY(live.stillOurs());
    QCOMPARE(live.release(), 0);
    // Once per folder in ten minutes: the next write does not list it again.
    ages.clear();
    file(QStringLiteral("~plw1_5_d.tmp"), hour);
    applyAges();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(SharedClaim::sweepLeftovers(written), 0);
    QVERIFY(Fs::exists(where.file(QStringLiteral("~plw1_5_d.tmp"))));
}

