// Shared-folder costs against their floors, measured in one run on one folder
// (a folder on the SMB rig's share: $PORLUNE_SHARE_DIR, or the folder given):
//
//   bench_share board [folder] [cycles]  the update cycle of one writer on a
//       16-row board, against reading the board and replacing it through a
//       temporary file and a rename in the same folder
//   bench_share poll [folder] [runs]     a message poll with 1,000 drop files
//       of other people in the mail place, against one listing of that folder
//
// Cycles and floors alternate, so the load of the machine weighs on both
// alike; the medians and their ratio are printed.
#include "BenchSupport.h"
#include "ToolServices.h"
#include "board/BoardAccess.h"
#include "board/BoardFile.h"
#include "messaging/Mailbox.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/SharedClaim.h"
#include "startup/AppContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

double msOf(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// The floor of a board write: read it whole, write a temporary file beside it
// (flushed to the server, as the program's writes are), rename it over.
bool readAndReplace(const QString& path, int n)
{
    const QByteArray bytes = Fs::readBytes(path);
    const QByteArray tmp = QFile::encodeName(QFileInfo(path).dir().filePath(QStringLiteral("floor%1.tmp").arg(n)));
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    return ok && ::rename(tmp.constData(), QFile::encodeName(path).constData()) == 0;
}

int benchBoard(const QString& folder, int cycles)
{
    const QString board = Paths::join(folder, QStringLiteral("bench.iki"));
    const QString floorBoard = Paths::join(folder, QStringLiteral("floor.iki"));
    QList<BoardRow> rows;
    for (int i = 1; i <= 16; ++i)
        rows.append({QStringLiteral("社員%1").arg(i), QStringLiteral("会議室%1").arg(i), QStringLiteral("1"),
                     QStringLiteral("99:99 99/99"), QStringLiteral("15:00"), QStringLiteral("%1").arg(100 + i), {}});
    if (Fs::writeBytes(board, BoardFile::format(rows)) || Fs::writeBytes(floorBoard, BoardFile::format(rows))) {
        std::fprintf(stderr, "cannot write in %s\n", qPrintable(folder));
        return 1;
    }
    QTemporaryDir programFolder;
    CountingBox box;
    NoFileDialog dialogs;
    SystemClock clock;
    AppContext ctx(programFolder.path(), Services {box, dialogs, clock});
    QList<double> cycle, floor;
    for (int n = 0; n < cycles; ++n) {
        bool written = false;
        cycle << msOf([&] {
            written = runUpdateCycle(ctx, 0, board, [&](QList<BoardRow>& r) {
                          r[0].destination = QStringLiteral("外出%1").arg(n);
                      }) == CycleResult::Written;
        });
        bool replaced = false;
        floor << msOf([&] { replaced = readAndReplace(floorBoard, n); });
        if (!written || !replaced || !box.texts.isEmpty()) {
            std::fprintf(stderr, "cycle %d failed\n", n);
            return 1;
        }
    }
    const double c = median(cycle), f = median(floor);
    std::printf("board update cycle: folder=%s cycles=%d median_cycle_ms=%.2f median_floor_ms=%.2f ratio=%.2f (goal <= 2.5)\n",
                qPrintable(folder), cycles, c, f, c / f);
    return 0;
}

int benchPoll(const QString& folder, int runs)
{
    const QString place = Paths::join(folder, QStringLiteral("place"));
    QDir().mkpath(place);
    const QByteArray message = "dummy\r\n";
    for (int i = 0; i < 1000; ++i) {
        const QString name = QStringLiteral("Other%1.%2").arg(i / 10).arg(i % 10 + 1, 3, 10, QChar(u'0'));
        if (Fs::writeBytes(Paths::join(place, name), message)) {
            std::fprintf(stderr, "cannot write in %s\n", qPrintable(place));
            return 1;
        }
    }
    QTemporaryDir programFolder;
    const Mailbox box(place, programFolder.path(), QStringLiteral("Taro"));
    QList<double> poll, listing;
    qsizetype listed = 0;
    for (int n = 0; n < runs; ++n) {
        poll << msOf([&] {
            if (!box.fetch().moved.isEmpty())
                std::fprintf(stderr, "fetched another person's message\n");
        });
        listing << msOf([&] { listed = QDir(place).entryList(QDir::Files | QDir::Hidden | QDir::System).size(); });
    }
    const double p = median(poll), l = median(listing);
    std::printf("message poll: folder=%s files=%lld runs=%d median_poll_ms=%.2f median_listing_ms=%.2f ratio=%.2f (goal <= 2)\n",
                qPrintable(place), static_cast<long long>(listed), runs, p, l, p / l);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const QString what = a.value(1);
    QString base = a.value(2, qEnvironmentVariable("PORLUNE_SHARE_DIR"));
    QTemporaryDir local;
    if (base.isEmpty())
        base = local.path();
    const QString folder = Paths::join(base, QStringLiteral("bench-") + QUuid::createUuid().toString(QUuid::Id128).left(8));
    if (Fs::makeDir(folder)) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    int rc = 2;
    if (what == QLatin1String("board"))
        rc = benchBoard(folder, a.value(3, QStringLiteral("60")).toInt());
    else if (what == QLatin1String("poll"))
        rc = benchPoll(folder, a.value(3, QStringLiteral("30")).toInt());
    else
        std::fprintf(stderr, "usage: bench_share board|poll [folder] [cycles|runs]\n");
    QDir(folder).removeRecursively();
    return rc;
}
