#pragma once

#include <QObject>

class QSocketNotifier;

// The system asking the program to end (log-off, shutdown, a terminate signal):
// turned into a Qt signal on the UI thread, so the program unloads as it does
// from its own menu and logs the user out of the boards.
class ShutdownSignal : public QObject
{
    Q_OBJECT

public:
    explicit ShutdownSignal(QObject* parent = nullptr);
    ~ShutdownSignal() override;

Q_SIGNALS:
    void requested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
