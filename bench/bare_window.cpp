// The floor of a start: a bare Qt window program, started as Porlune is, that
// shows one main window with a menu bar and a table.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

// The marks Porlune prints with PORLUNE_START_TRACE, for comparing the two.
static void mark(const char* label)
{
    static const bool on = std::getenv("PORLUNE_START_TRACE") != nullptr;
    if (!on)
        return;
    timespec now {}, cpu {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "start-trace %.3f %.3f %s\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6,
                 double(cpu.tv_sec) * 1e3 + double(cpu.tv_nsec) / 1e6, label);
}

int main(int argc, char** argv)
{
    mark("main");
    QApplication app(argc, argv);
    mark("application");
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Bare window"));
    w.menuBar()->addMenu(QStringLiteral("ファイル"));
    w.setCentralWidget(new QTableWidget(16, 7));
    w.resize(640, 400);
    w.show();
    mark("shown");
    return app.exec();
}
