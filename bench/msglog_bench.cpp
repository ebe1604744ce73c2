// Reading the message log against the cost of merely reading and decoding the
// same bytes. Generates a log of N records (Japanese text, quotes, both date
// forms, some records in the trash), plain and locked, and prints for each the
// best-of-runs time of the baseline and of the record reader, and their ratio.
//
// The rewrites: one record to the trash (and back) against copying the file,
// lock and unlock against decoding plus encoding the same lines in memory.
//
//   build/bin/bench_msglog [records=100000] [runs=5] [plain|locked|rewrite]

#include "BenchSupport.h"
#include "LogGenerator.h"
#include "common/TextScramble.h"
#include "msglog/LogRewrite.h"
#include "msglog/MessageLog.h"
#include "platform/FileOps.h"
#include "platform/SharedFile.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <limits>

namespace {


} // namespace

// Kept out of line and named, so an instruction count (valgrind --tool=callgrind
// --toggle-collect=baselineRead or =recordRead) can compare the two as well.
[[gnu::noinline]] qsizetype baselineRead(const QString& path)
{
    return Sjis::decode(Fs::readBytes(path)).size();
}

[[gnu::noinline]] MessageLog::ParseResult recordRead(const QString& path)
{
    return MessageLog::parse(Fs::readBytes(path));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const auto [records, runs] = benchArguments(argc, argv);
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QStringList lines = generate(records);
    const auto [plainPath, lockedPath] = writeLogs(dir, lines);

    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    for (const auto& [label, logPath] : {std::pair {QStringLiteral("plain"), plainPath},
                                         std::pair {QStringLiteral("locked"), lockedPath}}) {
        // A named copy: clang does not let lambdas capture a structured binding.
        const QString path = logPath;
        if (!only.isEmpty() && only != label)
            continue;
        qsizetype sink = 0;
        const double base = bestMs(runs, [&] { sink += baselineRead(path); });
        MessageLog::ParseResult r;
        const double read = bestMs(runs, [&] { r = recordRead(path); });
        out << label << ": " << records << " records, " << Fs::length(path) / 1024 << " KiB, "
            << r.records.size() << " read" << (r.dateErrors.isEmpty() ? "" : ", date errors!") << "\n"
            << "  read+decode baseline " << QString::number(base, 'f', 1) << " ms, record reader "
            << QString::number(read, 'f', 1) << " ms, ratio " << QString::number(read / base, 'f', 2) << "\n";
        if (r.records.size() != records)
            return 1;
        Q_UNUSED(sink);
    }
    if (only.isEmpty() || only == QLatin1String("rewrite")) {
        const QString path = dir.filePath(QStringLiteral("rewrite.txt"));
        const QByteArray original = Fs::readBytes(plainPath);
        Fs::writeBytes(path, original);
        bool ok = true;
        qsizetype sink = 0;
        const auto ms = [](const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; };

        // Copying the file: read its bytes and write them to another file in
        // one safe step (flushed to the disk, as every rewrite of the log is).
        const QString copyPath = dir.filePath(QStringLiteral("copy.txt"));
        const double copy = bestWallMs(runs, [&] { ok &= SharedFile::replace(copyPath, Fs::readBytes(path), false) == 0; });
        // One record to the trash and back, on the table the viewer loaded.
        Fs::FileStamp loaded;
        const MessageLog::ParseResult p = MessageLog::parse(Fs::readBytes(path, nullptr, &loaded));
        const QList<qint64> one {qint64(p.records.size() / 2)};
        double trash = std::numeric_limits<double>::max(), back = trash;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            ok &= LogRewrite::moveToTrash(path, Fs::stamp(path), p.records, one).changedRecords == 1;
            trash = std::min(trash, ms(t));
            t.restart();
            ok &= LogRewrite::restore(path, Fs::stamp(path), p.records, one).changedRecords == 1;
            back = std::min(back, ms(t));
        }
        ok &= Fs::readBytes(path) == original;
        out << "rewrite: copying the file (read, write flushed) " << QString::number(copy, 'f', 1)
            << " ms; one record to the trash " << QString::number(trash, 'f', 1) << " ms, ratio "
            << QString::number(trash / copy, 'f', 2) << "; restored " << QString::number(back, 'f', 1)
            << " ms, ratio " << QString::number(back / copy, 'f', 2) << "\n";

        // Decoding plus encoding the same lines, in memory: Shift-JIS to text
        // and each line scrambled (lock); each line unscrambled and the text to
        // Shift-JIS (unlock).
        const double lockFloor = bestWallMs(runs, [&] {
            const QString text = Sjis::decode(Fs::readBytes(path));
            QByteArray encoded;
            encoded.reserve(4 * text.size() + 256);
            for (QStringView line : QStringView(text).tokenize(u'\n')) {
                if (line.endsWith(u'\r'))
                    line.chop(1);
                Scramble::encodeAppend(line, 7, encoded);
                encoded.append("\r\n", 2);
            }
            sink += encoded.size();
        });
        const QString lockedCopy = lockedPath; // clang: no capture of a structured binding
        const double unlockFloor = bestWallMs(runs, [&] {
            const QByteArray bytes = Fs::readBytes(lockedCopy);
            const QString text = unscrambleLines(bytes);
            sink += Sjis::encode(text).size();
        });
        // The backup beside it is left locked by the first lock; a plain backup
        // costs a second encoding (measured apart).
        QFile::remove(path + QStringLiteral(".bak"));
        double lock = std::numeric_limits<double>::max(), unlock = lock;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            ok &= LogRewrite::lock(path, QStringLiteral("pw")).outcome == LogRewrite::Outcome::Done;
            lock = std::min(lock, ms(t));
            t.restart();
            ok &= LogRewrite::unlock(path, QStringLiteral("pw")).outcome == LogRewrite::Outcome::Done;
            unlock = std::min(unlock, ms(t));
        }
        Fs::writeBytes(path + QStringLiteral(".bak"), original);
        QElapsedTimer t;
        t.start();
        ok &= LogRewrite::lock(path, QStringLiteral("pw")).outcome == LogRewrite::Outcome::Done;
        const double lockWithBak = ms(t);
        ok &= LogRewrite::unlock(path, QStringLiteral("pw")).outcome == LogRewrite::Outcome::Done;
        ok &= Fs::readBytes(path) == original;
        out << "  decoding+encoding the lines: for locking " << QString::number(lockFloor, 'f', 1)
            << " ms, for unlocking " << QString::number(unlockFloor, 'f', 1) << " ms\n"
            << "  lock " << QString::number(lock, 'f', 1) << " ms, ratio " << QString::number(lock / lockFloor, 'f', 2)
            << "; unlock " << QString::number(unlock, 'f', 1) << " ms, ratio "
            << QString::number(unlock / unlockFloor, 'f', 2) << "; lock with a plain backup of the same size to encode too "
            << QString::number(lockWithBak, 'f', 1) << " ms, ratio " << QString::number(lockWithBak / (2 * lockFloor), 'f', 2)
            << " against both files' lines\n";
        Q_UNUSED(sink);
        if (!ok)
            return 1;
    }
    return 0;
}
