#include "board/frmMain.h"
#include "memo/frmInfomation.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"
#include "platform/ShutdownSignal.h"
#include "platform/StartTrace.h"
#include "startup/StartupSequence.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    StartTrace::mark("main");
    QApplication app(argc, argv);
    StartTrace::mark("application");
    QApplication::setApplicationName(QStringLiteral("Porlune"));
    QApplication::setQuitOnLastWindowClosed(false);
    Fonts::installSubstitutes();

    // Each user runs a copy placed in a folder of their own: that folder holds
    // the settings and the message folders.
    const QString programFolder = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();

    QtMessageBox msgBox;
    QtFileDialog fileDialog;
    SystemClock clock;
    StartupSequence startup(programFolder, Services {msgBox, fileDialog, clock});
    if (startup.run() != StartupSequence::Outcome::ShowMain)
        return 1;
    StartTrace::mark("start-up checks");

    // Log-off, shutdown or a terminate signal unload the window as its own end
    // item does, so the user is logged out of the boards.
    ShutdownSignal shutdown;

    // The date memo window comes before the main window; an end request while
    // it is open ends the program before anybody is logged in.
    if (startup.context().settings().intValue(80) == 1) {
        bool endRequested = false;
        frmInfomation memo(startup.context());
        const QMetaObject::Connection c = QObject::connect(&shutdown, &ShutdownSignal::requested, &memo, [&] {
            endRequested = true;
            memo.reject();
        });
        memo.exec();
        QObject::disconnect(c);
        if (endRequested)
            return 0;
    }

    frmMain mainWindow(startup.context());
    StartTrace::mark("main window built");
    // Queued: an unload that happens during the load (before the event loop
    // runs) must still end the program once it runs.
    QObject::connect(&mainWindow, &frmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&shutdown, &ShutdownSignal::requested, &mainWindow, &frmMain::endBySystem);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainWindow, &frmMain::endBySystem);
    mainWindow.Form_Load();
    StartTrace::mark("loaded");
    return app.exec();
}
