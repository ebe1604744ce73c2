#pragma once

#include "platform/Clock.h"

// A clock that stands still until the test moves it.
class FixedClock final : public IClock
{
public:
    explicit FixedClock(QDateTime t = QDateTime(QDate(2006, 6, 14), QTime(9, 5, 7))) : m_now(std::move(t)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    // Moves the wall clock and the monotonic clock alike.
    void advance(qint64 seconds)
    {
        m_now = m_now.addSecs(seconds);
        m_monotonicMs += seconds * 1000;
    }
    qint64 monotonicMs() const override { return m_monotonicMs; }

private:
    QDateTime m_now;
    qint64 m_monotonicMs = 1000000;
};
