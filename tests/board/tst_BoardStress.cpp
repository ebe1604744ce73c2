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
    BOARD_PLACES_DATA();
}

void TestBoardStress::concurrentCopies()
{
    QFETCH(Place::Kind, place);
    BOARD_PLACE(dir, place);
    const int writers = envInt("PORLUNE_STRESS_WRITERS", 8);
    const int cycles = envInt("PORLUNE_STRESS_CYCLES", 200);
    const int readers = 2;
    const QString board = dir.file(QStringLiteral("stress.iki"));
    const QString stop = dir.file(QStringLiteral("stop"));
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
        readerProcs.push_back(startDriver({QStringLiteral("read"), QStringLiteral("--board"), board, QStringLiteral("--names"),
                                           names.join(u','), QStringLiteral("--rows"), QString::number(rows),
                                           QStringLiteral("--stop-file"), stop}));
        QVERIFY(readerProcs.back()->waitForStarted());
    }
    QElapsedTimer wall;
    wall.start();
    for (const QString& name : names) {
        writerProcs.push_back(startDriver({QStringLiteral("write"), QStringLiteral("--board"), board, QStringLiteral("--name"),
                                           name, QStringLiteral("--cycles"), QString::number(cycles)}));
        QVERIFY(writerProcs.back()->waitForStarted());
    }
    for (auto& p : writerProcs)
        QVERIFY2(p->waitForFinished(900000), "a writer did not finish");
    const qint64 wallMs = wall.elapsed();
    QCOMPARE(Fs::writeBytes(stop, "stop"), 0);
    for (auto& p : readerProcs)
        QVERIFY2(p->waitForFinished(120000), "a reader did not stop");

    qint64 slowest = 0;
    int lost = 0;
    for (int k = 0; k < writers; ++k) {
        QProcess& p = *writerProcs[std::size_t(k)];
        const auto r = resultOf(p);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(!r.isEmpty(), err.constData());
        QCOMPARE(r.value(QStringLiteral("name")), names[k]);
        QCOMPARE(r.value(QStringLiteral("failed")), QStringLiteral("0"));
        QCOMPARE(r.value(QStringLiteral("notfound")), QStringLiteral("0"));
        QCOMPARE(r.value(QStringLiteral("boxes")), QStringLiteral("0"));
        lost += r.value(QStringLiteral("lost")).toInt();
        slowest = std::max(slowest, r.value(QStringLiteral("slowestms")).toLongLong());
        QCOMPARE(p.exitCode(), 0);
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
    const QList<BoardRow> final = rowsOf(board);
    QCOMPARE(final.size(), rows);
    QVERIFY(final[1].isSeparator());
    int finalLost = 0;
    for (const BoardRow& r : final) {
        if (!r.isSeparator() && r.destination != QString::number(cycles))
            ++finalLost;
    }
    QCOMPARE(finalLost, 0);
    QCOMPARE(lost, 0);
    QVERIFY(!Fs::exists(SharedClaim::lockPathFor(board)));

    const int total = writers * cycles;
    qInfo().noquote() << QStringLiteral("board stress (%1): %2 writers x %3 cycles + %4 readers: %5 cycles in %6 ms = %7 cycles/s; "
                                        "slowest cycle %8 ms; %9 reads; lost updates %10")
                             .arg(QString::fromLatin1(QTest::currentDataTag()))
                             .arg(writers)
                             .arg(cycles)
                             .arg(readers)
                             .arg(total)
                             .arg(wallMs)
                             .arg(double(total) * 1000.0 / double(std::max<qint64>(wallMs, 1)), 0, 'f', 1)
                             .arg(slowest)
                             .arg(reads)
                             .arg(lost + finalLost);
}

void TestBoardStress::claimOfCrashedCopyRecovered_data()
{
    BOARD_PLACES_DATA();
}

void TestBoardStress::claimOfCrashedCopyRecovered()
{
    QFETCH(Place::Kind, place);
    BOARD_PLACE(dir, place);
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
