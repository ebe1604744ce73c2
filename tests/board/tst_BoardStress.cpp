#include "tst_BoardStress.h"

#include "BoardFixture.h"
#include "board/BoardAccess.h"
#include "platform/SharedClaim.h"

#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <memory>

using namespace BoardFixture;

namespace {

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

// The key=value pairs of a driver's "RESULT" line.
QHash<QString, QString> resultOf(QProcess& p)
{
    QHash<QString, QString> out;
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith("RESULT "))
            continue;
        for (const QByteArray& kv : line.mid(7).split(' ')) {
            const qsizetype eq = kv.indexOf('=');
            if (eq > 0)
                out.insert(QString::fromUtf8(kv.left(eq)), QString::fromUtf8(kv.mid(eq + 1)));
            else
                out.insert(QString::fromUtf8(kv), QString());
        }
    }
    return out;
}

QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

std::unique_ptr<QProcess> startDriver(const QStringList& args)
{
    auto p = std::make_unique<QProcess>();
    p->setProgram(QStringLiteral(PORLUNE_BOARDDRIVER));
    p->setArguments(args);
    p->start();
    return p;
}

} // namespace

void TestBoardStress::concurrentCopies_data()
{
    SHARED_PLACES_TWO_MOUNTS_DATA();
}

void TestBoardStress::concurrentCopies()
{
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(dir, place);
    const int writers = envInt("PORLUNE_STRESS_WRITERS", 8);
    // Through two mounts every cycle costs more; fewer keep the run short.
    const int cycles = envInt("PORLUNE_STRESS_CYCLES", place == SharedPlace::TwoMounts ? 100 : 200);
    const int readers = 2;
    // Half the writers and one reader work through each client (the same path
    // twice where there is one client).
    const QString boards[2] = {dir.file(QStringLiteral("stress.iki")), dir.file2(QStringLiteral("stress.iki"))};
    const QString stops[2] = {dir.file(QStringLiteral("stop")), dir.file2(QStringLiteral("stop"))};
    const QString& board = boards[0];
    QStringList names;
    for (int k = 1; k <= writers; ++k)
        names.append(QStringLiteral("社員%1").arg(k));

    {
        auto init = startDriver({QStringLiteral("init"), QStringLiteral("--board"), board, QStringLiteral("--names"),
                                 names.join(u','), QStringLiteral("--separator")});
        QVERIFY(init->waitForFinished(60000));
        QCOMPARE(init->exitCode(), 0);
    }
    const int rows = writers + 1;

    std::vector<std::unique_ptr<QProcess>> readerProcs, writerProcs;
    for (int k = 0; k < readers; ++k) {
        readerProcs.push_back(startDriver({QStringLiteral("read"), QStringLiteral("--board"), boards[k % 2],
                                           QStringLiteral("--names"), names.join(u','), QStringLiteral("--rows"),
                                           QString::number(rows), QStringLiteral("--stop-file"), stops[k % 2]}));
        QVERIFY(readerProcs.back()->waitForStarted());
    }
    QElapsedTimer wall;
    wall.start();
    for (int k = 0; k < writers; ++k) {
        writerProcs.push_back(startDriver({QStringLiteral("write"), QStringLiteral("--board"), boards[k % 2],
                                           QStringLiteral("--name"), names[k], QStringLiteral("--cycles"),
                                           QString::number(cycles)}));
        QVERIFY(writerProcs.back()->waitForStarted());
    }
    for (auto& p : writerProcs)
        QVERIFY2(p->waitForFinished(900000), "a writer did not finish");
    const qint64 wallMs = wall.elapsed();
    QCOMPARE(Fs::writeBytes(stops[0], "stop"), 0);
    for (auto& p : readerProcs)
        QVERIFY2(p->waitForFinished(120000), "a reader did not stop");

    // Figures first, checks after: a run that loses updates still says how many.
    qint64 slowest = 0;
    int lost = 0;
    std::vector<QHash<QString, QString>> writerResults;
    for (int k = 0; k < writers; ++k) {
        QProcess& p = *writerProcs[std::size_t(k)];
        writerResults.push_back(resultOf(p));
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(!writerResults.back().isEmpty(), err.constData());
        lost += writerResults.back().value(QStringLiteral("lost")).toInt();
        slowest = std::max(slowest, writerResults.back().value(QStringLiteral("slowestms")).toLongLong());
    }
    const QList<BoardRow> final = rowsOf(board);
    int finalLost = 0;
    for (const BoardRow& r : final) {
        if (!r.isSeparator() && r.destination != QString::number(cycles))
            ++finalLost;
    }
    const int total = writers * cycles;
    const auto figures = [&](long reads) {
        return QStringLiteral("board stress (%1): %2 writers x %3 cycles + %4 readers: %5 cycles in %6 ms = %7 cycles/s; "
                              "slowest cycle %8 ms; %9 reads; lost updates %10 (seen by writers %11, final rows %12)")
            .arg(QString::fromLatin1(QTest::currentDataTag()))
            .arg(writers)
            .arg(cycles)
            .arg(readers)
            .arg(total)
            .arg(wallMs)
            .arg(double(total) * 1000.0 / double(std::max<qint64>(wallMs, 1)), 0, 'f', 1)
            .arg(slowest)
            .arg(reads)
            .arg(lost + finalLost)
            .arg(lost)
            .arg(finalLost);
    };
    if (lost + finalLost > 0)
        qWarning().noquote() << figures(-1);
    for (int k = 0; k < writers; ++k) {
        const auto& r = writerResults[std::size_t(k)];
        QCOMPARE(r.value(QStringLiteral("name")), names[k]);
        QCOMPARE(r.value(QStringLiteral("failed")), QStringLiteral("0"));
        QCOMPARE(r.value(QStringLiteral("notfound")), QStringLiteral("0"));
        QCOMPARE(r.value(QStringLiteral("boxes")), QStringLiteral("0"));
        QCOMPARE(r.value(QStringLiteral("lost")), QStringLiteral("0"));
        QCOMPARE(writerProcs[std::size_t(k)]->exitCode(), 0);
    }
    long reads = 0;
    for (auto& p : readerProcs) {
        const auto r = resultOf(*p);
        QVERIFY(!r.isEmpty());
        reads += r.value(QStringLiteral("reads")).toLong();
        QCOMPARE(r.value(QStringLiteral("fewer")), QStringLiteral("0"));     // never fewer than all rows
        QCOMPARE(r.value(QStringLiteral("backwards")), QStringLiteral("0")); // never a counter going back
        QCOMPARE(r.value(QStringLiteral("missing")), QStringLiteral("0"));
        QCOMPARE(r.value(QStringLiteral("damaged")), QStringLiteral("0"));
        QCOMPARE(p->exitCode(), 0);
    }
    // Every row ends with its owner's last counter; the separator is as it was.
    QCOMPARE(final.size(), rows);
    QVERIFY(final[1].isSeparator());
    QCOMPARE(finalLost, 0);
    QCOMPARE(lost, 0);
    QVERIFY(!Fs::exists(SharedClaim::lockPathFor(board)));
    // Nothing else left behind: no claim moved aside and forgotten, no breaker,
    // no temporary file.
    QCOMPARE(namesIn(dir.path()), QStringList({QStringLiteral("stop"), QStringLiteral("stress.iki"),
                                               QStringLiteral("stress.iki.bak")}));
    qInfo().noquote() << figures(reads);
}

void TestBoardStress::claimIsExclusive_data()
{
    QTest::addColumn<SharedPlace::Kind>("place");
    QTest::addColumn<bool>("brief"); // half the claimers leave brief claims undescribed
    QTest::newRow("local") << SharedPlace::Local << false;
    QTest::newRow("share") << SharedPlace::Share << false;
    QTest::newRow("two mounts") << SharedPlace::TwoMounts << false;
    QTest::newRow("two mounts, brief claims undescribed") << SharedPlace::TwoMounts << true;
}

// Claimers take one claim in turn, half of them through each client; every few
// rounds one leaves its claim behind as a crashed copy would, and the others,
// all waiting, judge it stale together and race to break it. Two claimers never
// hold the claim at once.
void TestBoardStress::claimIsExclusive()
{
    QFETCH(SharedPlace::Kind, place);
    QFETCH(bool, brief);
    SHARED_PLACE(dir, place);
    const int claimers = 4;
    const int rounds = envInt("PORLUNE_STRESS_CLAIM_ROUNDS", 40);
    const int abandonEvery = 20;
    const int staleMs = 2000; // well above a live claim's time on a busy share
    QTemporaryDir local;
    const QString marker = local.filePath(QStringLiteral("inside"));
    const QString locks[2] = {SharedClaim::lockPathFor(dir.file(QStringLiteral("claimed.iki"))),
                              SharedClaim::lockPathFor(dir.file2(QStringLiteral("claimed.iki")))};
    QElapsedTimer wall;
    wall.start();
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int k = 0; k < claimers; ++k) {
        QStringList args {QStringLiteral("claim"), QStringLiteral("--lock"), locks[k % 2], QStringLiteral("--marker"),
                          marker, QStringLiteral("--rounds"), QString::number(rounds), QStringLiteral("--stale-ms"),
                          QString::number(staleMs), QStringLiteral("--abandon-every"), QString::number(abandonEvery)};
        // One of each pair through each client.
        if (brief && k / 2 == 0)
            args << QStringLiteral("--describe-when-slow");
        procs.push_back(startDriver(args));
        QVERIFY(procs.back()->waitForStarted());
    }
    int overlaps = 0, failed = 0, notOurs = 0, abandoned = 0;
    qint64 slowest = 0;
    std::vector<QHash<QString, QString>> results;
    for (auto& p : procs) {
        QVERIFY2(p->waitForFinished(600000), "a claimer did not finish");
        results.push_back(resultOf(*p));
        QVERIFY2(!results.back().isEmpty(), p->readAllStandardError().constData());
        overlaps += results.back().value(QStringLiteral("overlaps")).toInt();
        failed += results.back().value(QStringLiteral("failed")).toInt();
        notOurs += results.back().value(QStringLiteral("notours")).toInt();
        abandoned += results.back().value(QStringLiteral("abandoned")).toInt();
        slowest = std::max(slowest, results.back().value(QStringLiteral("slowestms")).toLongLong());
    }
    const QString figures = QStringLiteral("claim race (%1): %2 claimers x %3 rounds, %4 claims left behind and broken: "
                                           "%5 ms; slowest acquire %6 ms; overlaps %7, claims lost %8, failed %9")
                                .arg(QString::fromLatin1(QTest::currentDataTag()))
                                .arg(claimers)
                                .arg(rounds)
                                .arg(abandoned)
                                .arg(wall.elapsed())
                                .arg(slowest)
                                .arg(overlaps)
                                .arg(notOurs)
                                .arg(failed);
    qInfo().noquote() << figures;
    QCOMPARE(overlaps, 0);
    QCOMPARE(notOurs, 0);
    QCOMPARE(failed, 0);
    QCOMPARE(abandoned, claimers * (rounds / abandonEvery));
    for (auto& p : procs)
        QCOMPARE(p->exitCode(), 0);
    // Only the last claim left behind remains; every broken one went whole.
    QCOMPARE(namesIn(dir.path()), QStringList({QStringLiteral("claimed.iki.lck")}));
}

void TestBoardStress::claimOfCrashedCopyRecovered_data()
{
    SHARED_PLACES_DATA();
}

void TestBoardStress::claimOfCrashedCopyRecovered()
{
    QFETCH(SharedPlace::Kind, place);
    SHARED_PLACE(dir, place);
    const QString board = dir.file(QStringLiteral("crash.iki"));
    writeRows(board, {person(QStringLiteral("田中"))});
    auto holder = startDriver({QStringLiteral("hold"), QStringLiteral("--board"), board});
    QVERIFY(holder->waitForReadyRead(60000));
    QCOMPARE(holder->readLine().trimmed(), QByteArray("held"));
    QVERIFY(Fs::exists(SharedClaim::lockPathFor(board)));
    // The copy dies while holding the claim.
    ::kill(pid_t(holder->processId()), SIGKILL);
    QVERIFY(holder->waitForFinished(10000));
    QVERIFY(Fs::exists(SharedClaim::lockPathFor(board)));

    TestUser u;
    QElapsedTimer t;
    t.start();
    QCOMPARE(runUpdateCycle(u.ctx(), 0, board, [](QList<BoardRow>& rows) { rows[0].destination = QStringLiteral("復旧"); }),
             CycleResult::Written);
    const qint64 ms = t.elapsed();
    QCOMPARE(rowsOf(board)[0].destination, QStringLiteral("復旧"));
    QVERIFY(u.box().shown().isEmpty());
    qInfo().noquote() << QStringLiteral("claim of a killed copy (%1) taken over after %2 ms")
                             .arg(QString::fromLatin1(QTest::currentDataTag()))
                             .arg(ms);
}
