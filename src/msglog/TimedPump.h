#pragma once

#include <QElapsedTimer>

// Says when a long pass should let its windows breathe: once every interval,
// however many lines went by, so the bar moves and the windows answer without
// the pass paying for an event round per line.
class TimedPump
{
public:
    explicit TimedPump(int intervalMs = 30) : m_interval(intervalMs) { m_timer.start(); }
    bool due()
    {
        if (m_timer.elapsed() < m_interval)
            return false;
        m_timer.restart();
        return true;
    }

private:
    QElapsedTimer m_timer;
    int m_interval;
};
