// Command-line driver for the message-log stress and crash runs, through the
// program's own append and rewrite code.
//
//   porlune-logdrv append  LOG FOLDER TAG COUNT   appends COUNT records "TAG-n"
//   porlune-logdrv rewrite LOG COUNT              trash, restore, lock, unlock in turn
//   porlune-logdrv check   LOG TAGS COUNT         every "TAG-n" exactly once, log well formed
//
// Each prints one line of figures; the exit code is 0 when the run did what it should.

#include "LogTools.h"
#include "ToolServices.h"
#include "msglog/LogRewrite.h"
#include "msglog/MessageLog.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "startup/AppContext.h"
#include "startup/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QThread>
#include <cstdio>

namespace {

const QString kPassword = QStringLiteral("stress");

int runAppend(const QString& log, const QString& folder, const QString& tag, int count)
{
    ConsoleMessageBox box;
    NoFileDialog dialogs;
    SystemClock clock;
    QDir().mkpath(folder);
    AppContext ctx(folder, Services {box, dialogs, clock});
    ctx.settings().setText(32, log);
    int failed = 0;
    for (int n = 1; n <= count; ++n) {
        const QString text = tag + QLatin1Char('-') + QString::number(n);
        if (!MessageLog::appendRecord(ctx,
                                      MessageLog::receivedRecord(tag, QStringLiteral("2026/01/02 03:04:05"), text,
                                                                 QStringLiteral("stress")),
                                      QStringLiteral("(logdrv")))
            ++failed;
    }
    std::printf("append tag=%s count=%d failed=%d\n", qPrintable(tag), count, failed);
    return failed ? 1 : 0;
}


int runRewrite(const QString& log, int count)
{
    int changedRetries = 0;
    int errors = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const int op = i % 4;
        for (;;) {
            LogRewrite::Result r;
            if (op == 2) {
                r = MessageLog::isLocked(log) ? LogRewrite::Result {} : LogRewrite::lock(log, kPassword);
            } else if (op == 3) {
                r = MessageLog::isLocked(log) ? LogRewrite::unlock(log, kPassword) : LogRewrite::Result {};
            } else {
                MessageLog::ParseResult parsed;
                Fs::FileStamp stamp;
                if (!loadLog(log, parsed, stamp)) {
                    ++errors;
                    break;
                }
                QList<qint64> all;
                for (qint64 k = 1; k <= parsed.records.size(); ++k)
                    all << k;
                r = op == 0 ? LogRewrite::moveToTrash(log, stamp, parsed.records, all)
                            : LogRewrite::restore(log, stamp, parsed.records, all);
            }
            if (r.outcome == LogRewrite::Outcome::Changed) {
                ++changedRetries; // an append came between load and rewrite: load again
                continue;
            }
            if (r.outcome != LogRewrite::Outcome::Done)
                ++errors;
            break;
        }
    }
    std::printf("rewrite count=%d changedRetries=%d errors=%d ms=%lld\n", count, changedRetries, errors,
                static_cast<long long>(timer.elapsed()));
    return errors ? 1 : 0;
}

int runCheck(const QString& log, const QStringList& tags, int count)
{
    QByteArray bytes = Fs::readBytes(log);
    MessageLog::ParseResult parsed = MessageLog::parse(bytes);
    QHash<QString, int> seen;
    int bad = parsed.unreadableLine ? 1 : 0;
    for (qsizetype k = 0; k < parsed.records.size(); ++k) {
        const QStringList lines = parsed.records.text(k).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        if (lines.size() != 1)
            ++bad;
        for (const QString& l : lines)
            ++seen[l];
    }
    int missing = 0;
    int duplicated = 0;
    for (const QString& tag : tags)
        for (int n = 1; n <= count; ++n) {
            const int c = seen.value(tag + QLatin1Char('-') + QString::number(n));
            missing += c == 0;
            duplicated += c > 1;
        }
    std::printf("check records=%lld locked=%d missing=%d duplicated=%d malformed=%d\n",
                static_cast<long long>(parsed.records.size()), parsed.locked ? 1 : 0, missing, duplicated, bad);
    return missing || duplicated || bad ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() == 6 && a[1] == QLatin1String("append"))
        return runAppend(a[2], a[3], a[4], a[5].toInt());
    if (a.size() == 4 && a[1] == QLatin1String("rewrite"))
        return runRewrite(a[2], a[3].toInt());
    if (a.size() == 5 && a[1] == QLatin1String("check"))
        return runCheck(a[2], a[3].split(QLatin1Char(',')), a[4].toInt());
    std::fprintf(stderr, "usage: porlune-logdrv append LOG FOLDER TAG COUNT | rewrite LOG COUNT | check LOG TAGS COUNT\n");
    return 2;
}
