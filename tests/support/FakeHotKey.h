#pragma once

#include "platform/GlobalHotKey.h"

#include <QList>

// A hot key service that holds one code like the real one; codes marked taken
// fail as a key held by another program does. press() acts as the user.
class FakeHotKey final : public IGlobalHotKey
{
    Q_OBJECT

public:
    bool registerHotKey(int code) override;
    void unregisterHotKey() override;
    int registeredCode() const override { return m_code; }

    void markTaken(int code) { m_taken.append(code); }
    // Fires when code is the registered one; returns whether it fired.
    bool press(int code);
    // Every register (the code) and unregister (-1) in order.
    const QList<int>& history() const { return m_history; }

private:
    int m_code = 0;
    QList<int> m_taken;
    QList<int> m_history;
};
