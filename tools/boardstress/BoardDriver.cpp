// porlune-boarddriver: acts as copies of the program on one board file, for
// stress runs of the board protocol on a shared folder. A developer tool, not
// part of the program.
//
//   porlune-boarddriver init  --board P --names a,b,c [--separator]
//   porlune-boarddriver write --board P --name a --cycles N [--stop-file S]
//   porlune-boarddriver read  --board P --names a,b,c --rows R --stop-file S [--pause-ms 10]
//   porlune-boarddriver hold  --board P          (takes the board's claim and sleeps)
//   porlune-boarddriver edit  --board P --cycles N [--pause-ms 10]
//   porlune-boarddriver older --board P --name a --cycles N [--line-ms 30] [--pause-ms 10]
//   porlune-boarddriver claim --lock L --marker M --rounds N [--hold-ms 5]
//                             [--stale-ms 8000] [--abandon-every K]
//
// write runs the update cycle N times, each writing the next counter (1..N) into
// the destination of its own row; before each change it checks that its row
// still shows the counter it wrote last (else an update of its own was lost).
// read reads the board in a loop until the stop file exists and checks that it
// never sees fewer than R rows and never a row's counter going backwards.
// claim takes and releases the claim L N times; while it holds the claim it
// creates the folder M (on a local disk, where creating a folder is exact), so
// two processes that both believe they hold the claim meet there and count an
// overlap. With --abandon-every K every K-th claim is left behind as by a copy
// that crashed while holding it; the others must break it and carry on.
// edit acts as the board file editor: N times it opens the board, waits
// pause-ms as an administrator would, reverses the row order and saves; the
// writers' checks tell whether a save lost any of their updates.
// older acts as a copy of an older build that knows no claim: it reads the
// board, changes its own row, then truncates the file and writes it again line
// by line with line-ms between lines. Its own updates may be lost; nobody
// else's rows may be.
// Each mode ends with one line "RESULT key=value ..." on stdout; exit status 0
// when nothing was wrong.

#include <vector>
#include "board/BoardAccess.h"
#include "board/BoardFile.h"
#include "editors/BoardEditSave.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/SharedClaim.h"
#include "startup/AppContext.h"
#include "ToolServices.h" // NoFileDialog

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ConsoleMessageBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& r) override
    {
        ++count;
        std::fprintf(stderr, "message box: [%s] %s\n", qPrintable(r.title), qPrintable(r.text));
        return defaultAnswer(r);
    }
    int count = 0;
};

// One copy of the program: a program folder of its own and its services.
struct Copy {
    QTemporaryDir folder;
    ConsoleMessageBox box;
    NoFileDialog dialogs;
    SystemClock clock;
    AppContext ctx {folder.path(), Services {box, dialogs, clock}};
};

void result(const QString& line)
{
    QTextStream(stdout) << "RESULT " << line << Qt::endl;
}

int runInit(const QString& board, const QStringList& names, bool separator)
{
    QList<BoardRow> rows;
    for (const QString& n : names) {
        rows.append({n, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("99:99 99/99"), {}, {}, {}});
        if (separator && rows.size() == 1)
            rows.append({QStringLiteral("区切り線"), {}, QStringLiteral("9"), {}, {}, {}, {}});
    }
    SharedClaim claim(SharedClaim::lockPathFor(board));
    if (const int err = claim.acquire()) {
        std::fprintf(stderr, "claim: %s\n", qPrintable(Fs::errorText(err)));
        return 1;
    }
    const int err = SharedClaim::replaceFile(board, BoardFile::format(rows), {}, claim.options());
    claim.release();
    result(QStringLiteral("init rows=%1 error=%2").arg(rows.size()).arg(err));
    return err ? 1 : 0;
}

int runWrite(const QString& board, const QString& name, int cycles, const QString& stopFile)
{
    Copy copy;
    int lastWritten = 0, lost = 0, failed = 0, notFound = 0;
    qint64 slowest = 0;
    QElapsedTimer total;
    total.start();
    int done = 0;
    for (int counter = 1; counter <= cycles; ++counter) {
        if (!stopFile.isEmpty() && Fs::exists(stopFile))
            break;
        ++done;
        bool found = false;
        QElapsedTimer t;
        t.start();
        const CycleResult r = runUpdateCycle(copy.ctx, -1, board, [&](QList<BoardRow>& rows) {
            found = false;
            forEachOwnRow(rows, name, [&](BoardRow& row) {
                if (row.destination.toInt() < lastWritten)
                    ++lost; // another copy wrote over a change of ours
                row.destination = QString::number(counter);
                row.login = QStringLiteral("1");
                found = true;
            });
        });
        slowest = std::max(slowest, t.elapsed());
        if (r != CycleResult::Written) {
            ++failed;
            continue;
        }
        if (!found)
            ++notFound;
        lastWritten = counter;
    }
    const qint64 ms = total.elapsed();
    result(QStringLiteral("writer name=%1 cycles=%2 failed=%3 lost=%4 notfound=%5 totalms=%6 slowestms=%7 boxes=%8")
               .arg(name)
               .arg(done)
               .arg(failed)
               .arg(lost)
               .arg(notFound)
               .arg(ms)
               .arg(slowest)
               .arg(copy.box.count));
    return failed || lost || notFound || copy.box.count ? 1 : 0;
}

int runEdit(const QString& board, int saves, int pauseMs)
{
    Copy copy;
    int failed = 0;
    qint64 slowest = 0;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < saves; ++i) {
        QList<BoardRow> rows = BoardFile::parse(BoardFile::read(board).bytes).rows;
        QStringList origins;
        for (const BoardRow& r : rows)
            origins << r.name;
        std::reverse(rows.begin(), rows.end());
        std::reverse(origins.begin(), origins.end());
        QThread::msleep(ulong(pauseMs));
        QElapsedTimer t;
        t.start();
        if (saveEditedBoard(copy.ctx, board, rows, origins) != CycleResult::Written)
            ++failed;
        slowest = std::max(slowest, t.elapsed());
    }
    result(QStringLiteral("editor saves=%1 failed=%2 totalms=%3 slowestms=%4 boxes=%5")
               .arg(saves)
               .arg(failed)
               .arg(total.elapsed())
               .arg(slowest)
               .arg(copy.box.count));
    return failed || copy.box.count ? 1 : 0;
}

int runOlder(const QString& board, const QString& name, int cycles, int lineMs, int pauseMs)
{
    const QByteArray path = QFile::encodeName(board);
    int written = 0, unreadable = 0;
    for (int counter = 1; counter <= cycles; ++counter) {
        const BoardFile::RawRead raw = BoardFile::read(board);
        BoardFile::Parsed parsed = BoardFile::parse(raw.bytes);
        if (!raw.ok() || parsed.cutShort || parsed.rows.isEmpty()) {
            ++unreadable;
            QThread::msleep(ulong(pauseMs));
            continue;
        }
        forEachOwnRow(parsed.rows, name, [&](BoardRow& row) {
            row.destination = QString::number(counter);
            row.login = QStringLiteral("1");
        });
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0) {
            ++unreadable;
            continue;
        }
        for (const BoardRow& row : parsed.rows) {
            const QByteArray line = BoardFile::format({row});
            if (::write(fd, line.constData(), std::size_t(line.size())) != line.size())
                break;
            QThread::msleep(ulong(lineMs));
        }
        ::close(fd);
        ++written;
        QThread::msleep(ulong(pauseMs));
    }
    result(QStringLiteral("older name=%1 cycles=%2 written=%3 unreadable=%4").arg(name).arg(cycles).arg(written).arg(unreadable));
    return 0;
}

int runRead(const QString& board, const QStringList& names, int expectedRows, const QString& stopFile, int pauseMs)
{
    Copy copy;
    QHash<QString, int> last;
    long reads = 0, fewer = 0, backwards = 0, missing = 0, damaged = 0;
    while (!Fs::exists(stopFile)) {
        const BoardReadOutcome out = readBoard(copy.ctx, board);
        ++reads;
        if (out.status == BoardReadOutcome::Missing) {
            ++missing;
        } else if (out.status == BoardReadOutcome::Damaged) {
            ++damaged;
        } else {
            if (out.rows.size() < expectedRows) {
                ++fewer;
                std::fprintf(stderr, "read %lld rows after %d attempts\n", qlonglong(out.rows.size()), out.attempts);
            }
            for (const BoardRow& r : out.rows) {
                if (!names.contains(r.name))
                    continue;
                const int v = r.destination.toInt();
                if (v < last.value(r.name, 0)) {
                    ++backwards;
                    std::fprintf(stderr, "row %s went back from %d to %d\n", qPrintable(r.name),
                                 last.value(r.name), v);
                }
                last[r.name] = v;
            }
        }
        if (pauseMs > 0)
            QThread::msleep(ulong(pauseMs));
    }
    result(QStringLiteral("reader reads=%1 fewer=%2 backwards=%3 missing=%4 damaged=%5")
               .arg(reads)
               .arg(fewer)
               .arg(backwards)
               .arg(missing)
               .arg(damaged));
    return fewer || backwards || missing || damaged ? 1 : 0;
}

int runHold(const QString& board)
{
    SharedClaim claim(SharedClaim::lockPathFor(board));
    if (const int err = claim.acquire()) {
        std::fprintf(stderr, "claim: %s\n", qPrintable(Fs::errorText(err)));
        return 1;
    }
    QTextStream(stdout) << "held" << Qt::endl;
    while (true)
        QThread::sleep(60); // until killed: a copy that crashed while holding the claim
}

int runClaim(const QString& lock, const QString& marker, int rounds, int holdMs, int staleMs, int abandonEvery,
             bool describeWhenSlow)
{
    SharedClaim::Options options;
    options.staleAfterMs = staleMs;
    options.describeWhenSlow = describeWhenSlow;
    const QByteArray markerPath = QFile::encodeName(marker);
    int failed = 0, overlaps = 0, notOurs = 0, abandoned = 0, markerErrors = 0;
    qint64 slowest = 0;
    QElapsedTimer total;
    total.start();
    for (int round = 1; round <= rounds; ++round) {
        // Not on the stack: an abandoned claim must outlive this round untouched.
        auto* claim = new SharedClaim(lock, options);
        QElapsedTimer t;
        t.start();
        const int err = claim->acquire();
        slowest = std::max(slowest, t.elapsed());
        if (err) {
            ++failed;
            std::fprintf(stderr, "claim: %s\n", qPrintable(Fs::errorText(err)));
            delete claim;
            continue;
        }
        bool inside = false;
        if (::mkdir(markerPath.constData(), 0777) == 0)
            inside = true;
        else if (errno == EEXIST)
            ++overlaps;
        else
            ++markerErrors;
        if (holdMs > 0)
            QThread::msleep(ulong(holdMs));
        if (!claim->stillOurs())
            ++notOurs;
        if (inside)
            ::rmdir(markerPath.constData());
        if (abandonEvery > 0 && round % abandonEvery == 0) {
            ++abandoned; // "crashed": the claim stays, and this process never touches it again
            // Kept reachable, never destroyed (that would release the claim): not a leak.
            static auto* const left = new std::vector<SharedClaim*>;
            left->push_back(claim);
            continue;
        }
        claim->release();
        delete claim;
    }
    result(QStringLiteral("claimer rounds=%1 failed=%2 overlaps=%3 notours=%4 abandoned=%5 markererrors=%6 "
                          "totalms=%7 slowestms=%8")
               .arg(rounds)
               .arg(failed)
               .arg(overlaps)
               .arg(notOurs)
               .arg(abandoned)
               .arg(markerErrors)
               .arg(total.elapsed())
               .arg(slowest));
    return failed || overlaps || notOurs || markerErrors ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Drives the board protocol from the command line."));
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("init | write | read | hold | claim"));
    p.addOptions({
        {QStringLiteral("board"), QStringLiteral("Board file."), QStringLiteral("path")},
        {QStringLiteral("name"), QStringLiteral("Own row (write)."), QStringLiteral("name")},
        {QStringLiteral("names"), QStringLiteral("Rows, comma-separated."), QStringLiteral("list")},
        {QStringLiteral("cycles"), QStringLiteral("Update cycles (write)."), QStringLiteral("n"), QStringLiteral("200")},
        {QStringLiteral("rows"), QStringLiteral("Rows a reader must always see."), QStringLiteral("n")},
        {QStringLiteral("stop-file"), QStringLiteral("A reader stops when it exists."), QStringLiteral("path")},
        {QStringLiteral("pause-ms"), QStringLiteral("Pause between reads."), QStringLiteral("ms"), QStringLiteral("10")},
        {QStringLiteral("line-ms"), QStringLiteral("Pause between lines (older)."), QStringLiteral("ms"), QStringLiteral("30")},
        {QStringLiteral("separator"), QStringLiteral("Add a separator row (init).")},
        {QStringLiteral("lock"), QStringLiteral("Claim path (claim)."), QStringLiteral("path")},
        {QStringLiteral("marker"), QStringLiteral("Local folder made while holding (claim)."), QStringLiteral("path")},
        {QStringLiteral("rounds"), QStringLiteral("Claims to take (claim)."), QStringLiteral("n"), QStringLiteral("50")},
        {QStringLiteral("hold-ms"), QStringLiteral("Time each claim is held (claim)."), QStringLiteral("ms"), QStringLiteral("5")},
        {QStringLiteral("stale-ms"), QStringLiteral("Age of a left-behind claim (claim)."), QStringLiteral("ms"), QStringLiteral("8000")},
        {QStringLiteral("abandon-every"), QStringLiteral("Leave every k-th claim behind (claim)."), QStringLiteral("k"), QStringLiteral("0")},
        {QStringLiteral("describe-when-slow"), QStringLiteral("Leave brief claims undescribed, as the board cycle does (claim).")},
    });
    p.process(app);
    const QStringList pos = p.positionalArguments();
    const QString mode = pos.value(0);
    const QString board = p.value(QStringLiteral("board"));
    if (mode == QLatin1String("claim")) {
        const QString lock = p.value(QStringLiteral("lock")), marker = p.value(QStringLiteral("marker"));
        if (lock.isEmpty() || marker.isEmpty()) {
            std::fprintf(stderr, "claim needs --lock and --marker\n");
            return 2;
        }
        return runClaim(lock, marker, p.value(QStringLiteral("rounds")).toInt(), p.value(QStringLiteral("hold-ms")).toInt(),
                        p.value(QStringLiteral("stale-ms")).toInt(), p.value(QStringLiteral("abandon-every")).toInt(),
                        p.isSet(QStringLiteral("describe-when-slow")));
    }
    if (board.isEmpty() || mode.isEmpty()) {
        std::fprintf(stderr, "mode and --board are required\n");
        return 2;
    }
    const QStringList names = p.value(QStringLiteral("names")).split(u',', Qt::SkipEmptyParts);
    if (mode == QLatin1String("init"))
        return runInit(board, names, p.isSet(QStringLiteral("separator")));
    if (mode == QLatin1String("write"))
        return runWrite(board, p.value(QStringLiteral("name")), p.value(QStringLiteral("cycles")).toInt(),
                        p.value(QStringLiteral("stop-file")));
    if (mode == QLatin1String("read"))
        return runRead(board, names, p.value(QStringLiteral("rows")).toInt(), p.value(QStringLiteral("stop-file")),
                       p.value(QStringLiteral("pause-ms")).toInt());
    if (mode == QLatin1String("hold"))
        return runHold(board);
    if (mode == QLatin1String("edit"))
        return runEdit(board, p.value(QStringLiteral("cycles")).toInt(), p.value(QStringLiteral("pause-ms")).toInt());
    if (mode == QLatin1String("older"))
        return runOlder(board, p.value(QStringLiteral("name")), p.value(QStringLiteral("cycles")).toInt(),
                        p.value(QStringLiteral("line-ms")).toInt(), p.value(QStringLiteral("pause-ms")).toInt());
    std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
    return 2;
}
