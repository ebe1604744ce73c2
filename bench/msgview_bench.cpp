// The message viewer on a large log, against floors measured in the same run:
//  - opening (load, sort, date tree, grid of the newest day, drawn) against
//    reading and decoding the same bytes, plain and locked;
//  - "名前順" and back, clicking a person node of about 10,000 records, and a
//    search with two conditions, each against a plain pass over the record
//    table that touches every field the step compares;
//  - the loaded table's bytes per record against the log's.
//
//   build/bin/bench_msgview [records=100000] [runs=5] [plain|locked]

#include "LogGenerator.h"
#include "board/MainHost.h"
#include "common/TextScramble.h"
#include "msglog/LogView.h"
#include "msglog/MessageSearch.h"
#include "msglog/frmMsgView.h"
#include "platform/FileOps.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "startup/AppContext.h"
#include "startup/IniFile.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

#include <algorithm>
#include <limits>

#include "platform/Clock.h"
#include "platform/FileDialog.h"

namespace {


class QuietHost final : public MainHost
{
public:
    QWidget* hostWidget() override { return nullptr; }
    void pauseMessageTimers() override {}
    void resumeMessageTimers() override {}
    void showHelp(int) override {}
    void cboGroup_Click() override {}
    void reloadBoards() override {}
    void reloadDestinations() override {}
    void reloadReturns() override {}
    void absenceWatchChanged() override {}
};

QString fmt(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const auto [records, runs] = benchArguments(argc, argv);
    QTextStream out(stdout);

    out << "clock: " << clockName() << "\n";
    QTemporaryDir dir;
    // Six people: each one's received messages make a node of about 10,000.
    QStringList names = defaultNames();
    names.append(QStringLiteral("高橋"));
    const QStringList lines = generate(records, names);
    const auto [plainPath, lockedPath] = writeLogs(dir, lines);

    CountingBox box;
    QtFileDialog files; // never opened here
    SystemClock clock;
    AppContext ctx(dir.path(), Services {box, files, clock});
    ctx.iniFile().Inifile_Read();
    QuietHost host;
    bool ok = true;

    for (const auto& [label, logPath] : {std::pair {QStringLiteral("plain"), plainPath},
                                         std::pair {QStringLiteral("locked"), lockedPath}}) {
        // A named copy: clang does not let lambdas capture a structured binding.
        const QString path = logPath;
        if (argc > 3 && label != QString::fromLocal8Bit(argv[3]))
            continue;
        ctx.iniFile().store(32, path);
        qsizetype sink = 0;
        // Reading and decoding the bytes: from Shift-JIS for the plain log; for
        // the locked one, each line from its scrambled form.
        const bool locked = label == QLatin1String("locked");
        const double floor = bestMs(runs, [&] {
            const QByteArray bytes = Fs::readBytes(path);
            if (!locked) {
                sink += Sjis::decode(bytes).size();
                return;
            }
            const QString text = unscrambleLines(bytes);
            sink += text.size();
        });
        frmMsgView* kept = nullptr;
        const double open = bestMs(runs, [&] {
            delete kept;
            auto* w = new frmMsgView(ctx, host);
            w->setPassword(QStringLiteral("pw")); // as after the prompt
            w->Form_Load();
            // The newest day, as a user opens it first.
            const QList<LogView::Node>& nodes = w->log().nodes();
            for (qsizetype i = nodes.size() - 1; i >= 0; --i)
                if (nodes[i].key.level == LogView::Level::Day) {
                    w->TVNodeClick(nodes[i].key);
                    break;
                }
            w->show();
            QCoreApplication::processEvents();
            kept = w;
        });
        out << label << ": " << records << " records, " << Fs::length(path) / 1024 << " KiB\n"
            << "  open: read+decode floor " << fmt(floor) << " ms, viewer " << fmt(open) << " ms, ratio "
            << fmt(open / floor, 2) << "\n";
        ok &= kept->log().size() == records && box.texts.isEmpty();

        if (label == QLatin1String("plain")) {
            frmMsgView& w = *kept;
            const MessageLog::RecordTable& t = w.log().table();
            // The sort compares date, time and the other party.
            const double sortPass = bestMs(runs, [&] {
                for (qsizetype k = 0; k < t.size(); ++k)
                    sink += qsizetype(t.dateKey(k) + t.timeKey(k)) + t.otherParty(k).size();
            });
            auto* sort = w.findChild<QComboBox*>(QStringLiteral("cboTVSort"));
            const double switchMs = bestMs(runs, [&] {
                sort->setCurrentIndex(LogView::Name);
                QCoreApplication::processEvents();
                sort->setCurrentIndex(LogView::DateName);
                QCoreApplication::processEvents();
            }) / 2;
            out << "  名前順 and back: plain pass (date, time, party) " << fmt(sortPass) << " ms, each switch "
                << fmt(switchMs) << " ms, ratio " << fmt(switchMs / sortPass, 2) << "\n";

            sort->setCurrentIndex(LogView::Name);
            LogView::NodeKey big;
            qsizetype bigSize = 0;
            for (const LogView::Node& n : w.log().nodes())
                if (std::abs(n.records.size() - 10000) < std::abs(bigSize - 10000)) {
                    big = n.key;
                    bigSize = n.records.size();
                }
            // A node's records are those whose leaf key (party, and date for
            // the dated trees) is the node's.
            const double nodePass = bestMs(runs, [&] {
                for (qsizetype k = 0; k < t.size(); ++k)
                    sink += qsizetype(t.dateKey(k)) + t.otherParty(k).size();
            });
            const double click = bestMs(runs, [&] {
                w.TVNodeClick({});
                w.TVNodeClick(big);
                w.findChild<QWidget*>(QStringLiteral("DataGrid1"))->grab(); // drawn
            });
            out << "  node of " << bigSize << " records: plain pass (date, party) " << fmt(nodePass)
                << " ms, click and draw " << fmt(click) << " ms, ratio " << fmt(click / nodePass, 2) << "\n";
            ok &= w.grid().rowCount() == bigSize;

            MessageSearch::Conditions c;
            c.honbun = true;
            c.honbunText = QStringLiteral("会議");
            c.atesaki = true;
            c.atesakiText = QStringLiteral("鈴木");
            const double searchPass = bestMs(runs, [&] {
                for (qsizetype k = 0; k < t.size(); ++k)
                    sink += t.text(k).contains(c.honbunText) + t.addressees(k).contains(c.atesakiText);
            });
            qsizetype found = 0;
            const double search = bestMs(runs, [&] {
                const QList<qint32> r = MessageSearch::search(t, w.log().order(), c);
                w.showSearchResult(r);
                found = r.size();
            });
            out << "  search 本文 and 宛先 (" << found << " found): plain pass (text, addressees) " << fmt(searchPass)
                << " ms, search " << fmt(search) << " ms, ratio " << fmt(search / searchPass, 2) << "\n";
            ok &= found > 0;

            // Where the opening goes, step by step.
            const QByteArray raw = Fs::readBytes(path);
            const double parseMs = bestMs(runs, [&] { sink += MessageLog::parse(raw).records.size(); });
            LogView::Model m;
            const double loadMs = bestMs(runs, [&] { m.load(MessageLog::parse(raw)); }) - parseMs;
            const double sortMs = bestMs(runs, [&] {
                m.load(MessageLog::parse(raw));
                m.setCurrentIndex(LogView::NoSort);
                m.select(LogView::DateName);
            }) - parseMs - loadMs;
            const double buildMs = bestMs(runs, [&] { m.build(); });
            out << "  steps: parse " << fmt(parseMs) << " ms, table setup " << fmt(loadMs) << " ms, sort+tree "
                << fmt(sortMs) << " ms, tree alone " << fmt(buildMs) << " ms, " << m.nodes().size() << " nodes\n";

            const qsizetype bytes = Fs::length(path);
            const qsizetype table = t.memoryBytes();
            const qsizetype view = w.log().memoryBytes();
            out << "  memory: log " << fmt(double(bytes) / records) << " bytes/record; record table "
                << fmt(double(table) / records) << " bytes/record (ratio " << fmt(double(table) / bytes, 2)
                << "), with the viewer's sort entries, orders and tree " << fmt(double(table + view) / records)
                << " bytes/record (ratio " << fmt(double(table + view) / bytes, 2) << ")\n";
        }
        delete kept;
        Q_UNUSED(sink);
    }
    return ok ? 0 : 1;
}
