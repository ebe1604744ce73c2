// Reading the message log against the cost of merely reading and decoding the
// same bytes. Generates a log of N records (Japanese text, quotes, both date
// forms, some records in the trash), plain and locked, and prints for each the
// best-of-runs time of the baseline and of the record reader, and their ratio.
//
// The whole-log rewrites (trash, restore, lock, unlock) are measured against
// reading the same bytes and replacing a file with them in one safe step.
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
        Fs::writeBytes(path, Fs::readBytes(plainPath));
        // The floor of any safe rewrite: read the log, replace it whole in one step.
        const double copy = bestMs(runs, [&] { SharedFile::replace(dir.filePath(QStringLiteral("copy.txt")), Fs::readBytes(path), true); });
        const auto all = [&](const MessageLog::RecordTable& t) {
            QList<qint64> n;
            for (qint64 k = 1; k <= t.size(); ++k)
                n << k;
            return n;
        };
        const auto flip = [&](bool trash) {
            Fs::FileStamp stamp;
            const MessageLog::ParseResult p = MessageLog::parse(Fs::readBytes(path, nullptr, &stamp));
            return trash ? LogRewrite::moveToTrash(path, stamp, p.records, all(p.records))
                         : LogRewrite::restore(path, stamp, p.records, all(p.records));
        };
        bool ok = true;
        const double trash = bestMs(runs, [&] {
            ok &= flip(true).outcome == LogRewrite::Outcome::Done;
            ok &= flip(false).outcome == LogRewrite::Outcome::Done;
        }) / 2;
        const double lockUnlock = bestMs(runs, [&] {
            ok &= LogRewrite::lock(path, QStringLiteral("pw")).outcome == LogRewrite::Outcome::Done;
            ok &= LogRewrite::unlock(path, QStringLiteral("pw")).outcome == LogRewrite::Outcome::Done;
        }) / 2;
        out << "rewrite: read+replace baseline " << QString::number(copy, 'f', 1) << " ms; load+trash (or restore) "
            << QString::number(trash, 'f', 1) << " ms, ratio " << QString::number(trash / copy, 'f', 2)
            << "; lock (or unlock) " << QString::number(lockUnlock, 'f', 1) << " ms, ratio "
            << QString::number(lockUnlock / copy, 'f', 2) << "\n";
        if (!ok || Fs::readBytes(path) != Fs::readBytes(plainPath))
            return 1;
    }
    return 0;
}
