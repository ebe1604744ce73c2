#pragma once

#include <QDateTime>

#include <chrono>

// The one source of the current time, so tests can fix it.
class IClock
{
public:
    virtual ~IClock() = default;
    virtual QDateTime now() const = 0; // local time
    // A clock that only moves forward, whatever is done to the wall clock;
    // for measuring how long something took, never for showing.
    virtual qint64 monotonicMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

class SystemClock final : public IClock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
