// What the two message indicators cost while they run: one tick of Timer2
// (mail mark beside the cursor, every 100 ms while a message window is open)
// and of Timer3 (tray blink, every 500 ms), each of which lists the user's
// "TMP" folder. Compared with the baseline of one status query of that folder,
// the least a tick that looks at the disk can do. Prints the cost per tick and
// the share of one core it takes at its interval.
//
//   build/bin/bench_marktick [ticks=2000]

#include "BenchSupport.h"
#include "board/frmMain.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "platform/GlobalHotKey.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/TrayIcon.h"
#include "startup/AppContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

// The tray without a notification area: only the bookkeeping a real one does.
class SilentTray final : public ITrayIcon
{
public:
    void add(int picture, const QString& tip) override { m_added = true; m_picture = picture; m_tip = tip; }
    void modify(int picture, const QString& tip) override
    {
        if (m_added) {
            m_picture = picture;
            m_tip = tip;
        }
    }
    void remove() override { m_added = false; }
    bool isAdded() const override { return m_added; }
    int picture() const override { return m_picture; }
    QString tip() const override { return m_tip; }

private:
    bool m_added = false;
    int m_picture = 0;
    QString m_tip;
};

template<typename F>
double nsPerCall(int n, F&& f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i)
        f();
    return double(t.nsecsElapsed()) / n;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int ticks = std::max(100, app.arguments().value(1, QStringLiteral("2000")).toInt());
    QTextStream out(stdout);

    QTemporaryDir folder;
    CountingBox box;
    QtFileDialog dialogs;
    SystemClock clock;
    AppContext ctx(folder.path(), Services {box, dialogs, clock});
    SilentTray tray;
    NullGlobalHotKey hotKey;
    ctx.setTrayIcon(&tray);
    ctx.setHotKey(&hotKey);
    ctx.iniFile().Inifile_Read();
    ctx.iniFile().store(26, QStringLiteral("山田太郎"));
    ctx.iniFile().store(37, QStringLiteral("0"));
    ctx.iniFile().store(41, QStringLiteral("0"));
    const QString tmp = ctx.programPath(QStringLiteral("TMP"));
    Fs::makeDir(tmp);

    frmMain w(ctx);
    w.Form_Load();

    out << "bench_marktick: " << ticks << " ticks per case\n";
    out << qSetFieldWidth(34) << Qt::left << "case" << qSetFieldWidth(12) << Qt::right << "us/tick"
        << "x baseline" << "core share" << qSetFieldWidth(0) << "\n";
    auto row = [&](const QString& name, double ns, double baseline, int intervalMs) {
        out << qSetFieldWidth(34) << Qt::left << name << qSetFieldWidth(12) << Qt::right
            << QString::number(ns / 1000.0, 'f', 1) << QString::number(ns / baseline, 'f', 1)
            << (intervalMs > 0 ? QString::number(100.0 * ns / (intervalMs * 1e6), 'f', 3) + u'%' : QString())
            << qSetFieldWidth(0) << "\n";
    };

    const std::pair<int, int> cases[] = {{0, 0}, {1, 0}, {20, 0}, {1, 200}};
    for (const auto& [open, others] : cases) {
        for (const QString& name : Fs::list(tmp, QStringLiteral("*")))
            Fs::remove(Paths::join(tmp, name));
        for (int k = 1; k <= open; ++k)
            TextFile::writeLines(Paths::join(tmp, QStringLiteral("TMP山田太郎.%1").arg(k)), {QStringLiteral("x")});
        // Files of other names do not count but are listed.
        for (int k = 1; k <= others; ++k)
            TextFile::writeLines(Paths::join(tmp, QStringLiteral("TMP佐藤花子.%1").arg(k)), {QStringLiteral("x")});

        const double baseline = nsPerCall(ticks, [&] { (void)Fs::isDir(tmp); });
        w.Timer2_Timer(); // the mail mark comes up once, outside the measure
        const double t2 = nsPerCall(ticks, [&] { w.Timer2_Timer(); });
        const double t3 = nsPerCall(ticks, [&] { w.Timer3_Timer(); });
        const QString label = QStringLiteral("%1 open, %2 others").arg(open).arg(others);
        row(QStringLiteral("baseline (") + label + u')', baseline, baseline, 0);
        row(QStringLiteral("Timer2 (") + label + u')', t2, baseline, open > 0 ? 100 : 10000);
        row(QStringLiteral("Timer3 (") + label + u')', t3, baseline, open > 0 ? 500 : 10000);
        QCoreApplication::processEvents();
    }
    w.unload();
    if (!box.texts.isEmpty()) {
        out << "bench_marktick: unexpected message boxes: " << box.texts.join(u'|') << "\n";
        return 1;
    }
    return 0;
}
