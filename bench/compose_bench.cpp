// The composing window over a full board table: opening it (every shown board
// read into its list), checking everybody with "全員" on every board, and one
// send to all of them with a receipt request and the log record. The send is
// compared with the baseline of writing the same message file once per
// recipient with plain writes into a folder of the same file system.
//
//   build/bin/bench_compose [boards=20] [rows=50] [runs=3] [waiting=0]
//
// A second baseline is the same number of single drops (one recipient each,
// the mail place listed for each) into an empty mail place. waiting puts that
// many drop files for other people into the mail place before each send, as a
// busy office leaves them; the send lists the mail place once whatever it holds.
// "bench_compose 5 11" gives 50 recipients (a separator row every tenth row).
//
// The mail place and the boards lie in PORLUNE_SHARE_DIR when it is set (a
// folder on the SMB test mount, tools/smb-rig.sh), else in a local folder.

#include "BenchSupport.h"
#include "board/BoardAccess.h"
#include "messaging/MailDrop.h"
#include "messaging/MessageFile.h"
#include "messaging/frmMailSend.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/QuotedCsv.h"
#include "platform/TextFile.h"
#include "startup/AppContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <limits>

namespace {

void removeAll(const QString& folder)
{
    for (const QString& name : Fs::list(folder, QStringLiteral("*")))
        Fs::remove(Paths::join(folder, name));
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int boards = std::clamp(args.value(1, QStringLiteral("20")).toInt(), 1, 20);
    const int rows = std::clamp(args.value(2, QStringLiteral("50")).toInt(), 1, 50);
    const int runs = std::max(1, args.value(3, QStringLiteral("3")).toInt());
    const int waiting = std::clamp(args.value(4, QStringLiteral("0")).toInt(), 0, 5000);
    QTextStream out(stdout);

    const QString shareRoot = qEnvironmentVariable("PORLUNE_SHARE_DIR");
    QTemporaryDir sharedTmp(shareRoot.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_compose_XXXXXX")
                                                : shareRoot + QStringLiteral("/bench_compose_XXXXXX"));
    QTemporaryDir programTmp;
    if (!sharedTmp.isValid() || !programTmp.isValid()) {
        out << "bench_compose: cannot create the folders\n";
        return 1;
    }
    const QString shared = sharedTmp.path();
    const QString mailPlace = Paths::join(shared, QStringLiteral("mail"));
    const QString baseline = Paths::join(shared, QStringLiteral("baseline"));
    Fs::makeDir(mailPlace);
    Fs::makeDir(baseline);

    // Boards of people, a separator row every tenth row.
    QStringList banLines;
    int people = 0;
    for (int b = 1; b <= boards; ++b) {
        QStringList lines;
        for (int r = 1; r <= rows; ++r) {
            const bool separator = r % 10 == 0;
            people += separator ? 0 : 1;
            lines.append(QuotedCsv::formatTextLine(
                {separator ? QStringLiteral("区切り線") : QStringLiteral("社員%1_%2").arg(b, 2, 10, QChar(u'0')).arg(r, 2, 10, QChar(u'0')),
                 QStringLiteral("在席"), separator ? QStringLiteral("9") : QString::number(r % 2),
                 QStringLiteral("06/14 09:00"), QString(), QStringLiteral("123"), QStringLiteral("user@example.jp")}));
        }
        const QString path = Paths::join(shared, QStringLiteral("board%1.iki").arg(b));
        TextFile::writeLines(path, lines);
        banLines.append(QStringLiteral("%1,\"部署%1\",\"%2\"").arg(b).arg(path));
    }
    const QString banList = Paths::join(shared, QStringLiteral("ban.txt"));
    TextFile::writeLines(banList, banLines);

    CountingBox box;
    QtFileDialog dialogs;
    SystemClock clock;
    AppContext ctx(programTmp.path(), Services {box, dialogs, clock});
    ctx.iniFile().Inifile_Read();
    ctx.iniFile().store(19, banList);
    ctx.iniFile().store(23, QStringLiteral("22222222222222222222"));
    ctx.iniFile().store(24, QStringLiteral("22222222222222222222"));
    ctx.iniFile().store(26, QStringLiteral("山田太郎"));
    ctx.iniFile().store(29, mailPlace);
    ctx.iniFile().store(32, ctx.programPath(QStringLiteral("msglog.txt")));
    for (const char* sub : {"TMP", "TIM", "RCV"})
        Fs::makeDir(ctx.programPath(QString::fromLatin1(sub)));
    Fs::writeBytes(ctx.programPath(QStringLiteral("msglog.txt")), QByteArray());
    Banfile_Read(ctx);

    const QString text = QStringLiteral("本日17時から全体会議を行います。\n場所：第一会議室\nよろしくお願いします。");
    qint64 bestOpen = std::numeric_limits<qint64>::max(), bestCheck = bestOpen, bestSend = bestOpen,
           bestBase = bestOpen, bestSingle = bestOpen;
    int delivered = 0;
    for (int run = 0; run < runs; ++run) {
        removeAll(mailPlace);
        removeAll(ctx.programPath(QStringLiteral("RCV")));
        for (int k = 0; k < waiting; ++k)
            Fs::writeBytes(Paths::join(mailPlace, QStringLiteral("other%1.%2").arg(k / 999).arg(k % 999 + 1, 3, 10, QChar(u'0'))),
                           QByteArrayLiteral("x"));
        QElapsedTimer t;
        t.start();
        frmMailSend w(ctx, nullptr, {0, -1});
        bestOpen = std::min(bestOpen, t.nsecsElapsed());

        auto* group = w.findChild<QComboBox*>(QStringLiteral("cboGroup"));
        auto* all = w.findChild<QCheckBox*>(QStringLiteral("chkAll"));
        t.restart();
        for (int b = 0; b < group->count(); ++b) {
            group->setCurrentIndex(b);
            all->setChecked(false);
            all->setChecked(true);
        }
        bestCheck = std::min(bestCheck, t.nsecsElapsed());

        w.findChild<QPlainTextEdit*>(QStringLiteral("txtMemo"))->setPlainText(text);
        w.findChild<QCheckBox*>(QStringLiteral("chkReceive"))->setChecked(true);
        w.findChild<QCheckBox*>(QStringLiteral("chkLog"))->setChecked(true);
        t.restart();
        w.findChild<QPushButton*>(QStringLiteral("cmdSend"))->click();
        bestSend = std::min(bestSend, t.nsecsElapsed());
        delivered = int(Fs::list(mailPlace, QStringLiteral("*")).size()) - waiting;

        // Baseline: the same bytes, once per recipient, plain writes.
        const QByteArray bytes = Fs::readBytes(ctx.programPath(QStringLiteral("message.tmp")));
        removeAll(baseline);
        t.restart();
        for (int k = 0; k < people; ++k)
            Fs::writeBytes(Paths::join(baseline, QStringLiteral("p%1.001").arg(k)), bytes);
        bestBase = std::min(bestBase, t.nsecsElapsed());

        // Baseline: single drops, one recipient each, into an empty mail place.
        removeAll(mailPlace);
        t.restart();
        for (int k = 0; k < people; ++k)
            MailDrop::drop(mailPlace, QStringLiteral("p%1").arg(k), bytes);
        bestSingle = std::min(bestSingle, t.nsecsElapsed());
    }

    out << "bench_compose: " << boards << " boards x " << rows << " rows, " << people << " recipients, "
        << waiting << " other files waiting, "
        << (shareRoot.isEmpty() ? "local folder" : "SMB share") << ", best of " << runs << "\n";
    out << QStringLiteral("  open window (read every board): %1 ms\n").arg(ms(bestOpen), 0, 'f', 1);
    out << QStringLiteral("  全員 on every board:             %1 ms\n").arg(ms(bestCheck), 0, 'f', 1);
    out << QStringLiteral("  send (drops + RCV + log + ID):  %1 ms (%2 ms per recipient)\n")
               .arg(ms(bestSend), 0, 'f', 1)
               .arg(ms(bestSend) / std::max(1, people), 0, 'f', 3);
    out << QStringLiteral("  baseline plain writes:          %1 ms\n").arg(ms(bestBase), 0, 'f', 1);
    out << QStringLiteral("  send / baseline:                %1\n").arg(double(bestSend) / double(std::max<qint64>(1, bestBase)), 0, 'f', 2);
    out << QStringLiteral("  single drops (empty place):     %1 ms\n").arg(ms(bestSingle), 0, 'f', 1);
    out << QStringLiteral("  send / single drops:            %1\n").arg(double(bestSend) / double(std::max<qint64>(1, bestSingle)), 0, 'f', 2);
    out << "  delivered " << delivered << " of " << people << ", message boxes " << box.texts.size() << "\n";
    for (const QString& t : box.texts.mid(0, 3))
        out << "    box: " << t << "\n";
    return delivered == people && box.texts.isEmpty() ? 0 : 1;
}
