// The floor of a start: a bare Qt window program, started as Porlune is, that
// shows one main window with a menu bar and a table.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTableWidget>

#include "platform/StartTrace.h"

int main(int argc, char** argv)
{
    StartTrace::mark("main");
    QApplication app(argc, argv);
    StartTrace::mark("application");
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Bare window"));
    w.menuBar()->addMenu(QStringLiteral("ファイル"));
    w.setCentralWidget(new QTableWidget(16, 7));
    w.resize(640, 400);
    w.show();
    StartTrace::mark("shown");
    return app.exec();
}
