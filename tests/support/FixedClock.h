#pragma once

#include "platform/Clock.h"

// A clock that stands still until the test moves it.
class FixedClock final : public IClock
{
public:
    explicit FixedClock(QDateTime t = QDateTime(QDate(2006, 6, 14), QTime(9, 5, 7))) : m_now(std::move(t)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};
