// Command-line driver for the mail-place stress run: sender processes and a
// fetching recipient process working on one mail place at the same time, each
// with a program folder of its own, through the program's own messaging code.
//
//   porlune-maildrv send  --place DIR --folder DIR --from NAME --to NAME --count N
//   porlune-maildrv fetch --place DIR --folder DIR --name NAME --expect N [--idle S]
//   porlune-maildrv check --folder DIR --name NAME --count N --senders A,B,...
//
// Each prints one line of figures ("key=value ..."); the exit code is 0 when the
// run did what it should.

#include "StressMessage.h"
#include "ToolServices.h"
#include "messaging/MailNames.h"
#include "messaging/Mailbox.h"
#include "messaging/MessageSender.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QThread>
#include <cstdio>

namespace {

struct Copy
{
    ConsoleMessageBox box;
    NoFileDialog dialogs;
    SystemClock clock;
    AppContext ctx;
    Copy(const QString& folder, const QString& place, const QString& name)
        : ctx(folder, Services { box, dialogs, clock })
    {
        QDir().mkpath(folder);
        for (const QString& sub :
            { MailNames::tmpFolder(), MailNames::timFolder(), MailNames::rcvFolder() })
            Fs::makeDir(ctx.programPath(sub));
        ctx.settings().setText(SettingNo::MailPlace, place);
        ctx.settings().setText(SettingNo::UserName, name);
    }
};

int runSend(
    const QString& place, const QString& folder, const QString& from, const QString& to, int count)
{
    Copy copy(folder, place, from);
    MessageSender sender(copy.ctx);
    QElapsedTimer timer;
    timer.start();
    qint64 slowestNs = 0;
    int failed = 0;
    for (int seq = 1; seq <= count; ++seq) {
        QElapsedTimer one;
        one.start();
        const MessageFile m = StressMessage::make(from, to, seq, DateTimeText(copy.clock, 1));
        const MessageSender::Result r
            = sender.send(m, { to }, { QStringLiteral("(maildrv send)") });
        slowestNs = std::max(slowestNs, one.nsecsElapsed());
        if (!r.allDelivered())
            ++failed;
    }
    const double secs = double(timer.nsecsElapsed()) / 1e9;
    std::printf("sender=%s sent=%d failed=%d seconds=%.3f per_second=%.1f slowest_ms=%.1f\n",
        qPrintable(from), count - failed, failed, secs, count / secs, double(slowestNs) / 1e6);
    return failed == 0 ? 0 : 1;
}

int runFetch(
    const QString& place, const QString& folder, const QString& name, int expect, int idleSecs)
{
    Copy copy(folder, place, name);
    const Mailbox box(copy.ctx);
    QElapsedTimer total, idle;
    total.start();
    idle.start();
    int fetched = 0, polls = 0, leftOver = 0;
    qint64 slowestNs = 0;
    while (fetched < expect && idle.elapsed() < idleSecs * 1000LL) {
        QElapsedTimer one;
        one.start();
        const Mailbox::FetchResult r = box.fetch();
        slowestNs = std::max(slowestNs, one.nsecsElapsed());
        ++polls;
        fetched += int(r.moved.size());
        leftOver += int(r.left.size());
        if (!r.moved.isEmpty())
            idle.restart();
        else
            QThread::msleep(2);
    }
    const double secs = double(total.nsecsElapsed()) / 1e9;
    std::printf(
        "fetched=%d expected=%d polls=%d left_for_next_poll=%d seconds=%.3f per_second=%.1f "
        "slowest_poll_ms=%.1f\n",
        fetched, expect, polls, leftOver, secs, fetched / secs, double(slowestNs) / 1e6);
    return fetched == expect ? 0 : 1;
}

int runCheck(const QString& folder, const QString& name, int count, const QStringList& senders)
{
    const Mailbox box(QString(), folder, name);
    QHash<QString, int> seen;
    int damaged = 0, duplicates = 0, foreign = 0;
    const QStringList files = box.inboxFiles();
    for (const QString& file : files) {
        const StressMessage::Checked c
            = StressMessage::check(MessageFormat::read(Paths::join(folder, file)), name);
        if (!c.whole) {
            ++damaged;
            std::fprintf(stderr, "damaged: %s\n", qPrintable(file));
            continue;
        }
        if (!senders.contains(c.sender) || c.seq < 1 || c.seq > count) {
            ++foreign;
            continue;
        }
        const QString key = c.sender + u'#' + QString::number(c.seq);
        if (seen.contains(key))
            ++duplicates;
        seen[key]++;
    }
    const int expected = count * int(senders.size());
    const int lost = expected - int(seen.size());
    std::printf(
        "files=%lld expected=%d arrived_once=%lld lost=%d duplicates=%d damaged=%d foreign=%d\n",
        qlonglong(files.size()), expected, qlonglong(seen.size()), lost, duplicates, damaged,
        foreign);
    return lost == 0 && duplicates == 0 && damaged == 0 && foreign == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("command"), QStringLiteral("send, fetch or check"));
    const QCommandLineOption place(
        QStringLiteral("place"), QStringLiteral("mail place folder"), QStringLiteral("dir"));
    const QCommandLineOption folder(
        QStringLiteral("folder"), QStringLiteral("program folder"), QStringLiteral("dir"));
    const QCommandLineOption from(
        QStringLiteral("from"), QStringLiteral("sender name"), QStringLiteral("name"));
    const QCommandLineOption to(
        QStringLiteral("to"), QStringLiteral("recipient name"), QStringLiteral("name"));
    const QCommandLineOption name(
        QStringLiteral("name"), QStringLiteral("own name"), QStringLiteral("name"));
    const QCommandLineOption count(
        QStringLiteral("count"), QStringLiteral("messages per sender"), QStringLiteral("n"));
    const QCommandLineOption expect(
        QStringLiteral("expect"), QStringLiteral("messages to fetch"), QStringLiteral("n"));
    const QCommandLineOption idle(QStringLiteral("idle"),
        QStringLiteral("seconds without a message before giving up"), QStringLiteral("s"),
        QStringLiteral("60"));
    const QCommandLineOption senders(QStringLiteral("senders"),
        QStringLiteral("comma-separated sender names"), QStringLiteral("names"));
    p.addOptions({ place, folder, from, to, name, count, expect, idle, senders });
    p.addHelpOption();
    p.process(app);

    const QStringList args = p.positionalArguments();
    const QString command = args.value(0);
    if (command == u"send" && p.isSet(place) && p.isSet(folder) && p.isSet(from) && p.isSet(to))
        return runSend(
            p.value(place), p.value(folder), p.value(from), p.value(to), p.value(count).toInt());
    if (command == u"fetch" && p.isSet(place) && p.isSet(folder) && p.isSet(name)
        && p.isSet(expect))
        return runFetch(p.value(place), p.value(folder), p.value(name), p.value(expect).toInt(),
            p.value(idle).toInt());
    if (command == u"check" && p.isSet(folder) && p.isSet(name) && p.isSet(senders))
        return runCheck(p.value(folder), p.value(name), p.value(count).toInt(),
            p.value(senders).split(u',', Qt::SkipEmptyParts));
    std::fprintf(stderr, "%s\n", qPrintable(p.helpText()));
    return 2;
}
