#pragma once

// Real X input for the tests under Xvfb: xdotool moves the pointer, clicks and
// types as a user would, so the events come through the X server.
#include <QProcess>
#include <QStringList>

// Runs xdotool with args, at most 15 seconds. False (with a warning) when it
// did not run to a good end.
inline bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    const bool ok = p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok) {
        p.kill();
        p.waitForFinished(2000);
        qWarning("xdotool %s failed: %s", qPrintable(args.join(u' ')), p.readAllStandardError().constData());
    }
    return ok;
}
