#pragma once

#include <QDateTime>

// The one source of the current time, so tests can fix it.
class IClock
{
public:
    virtual ~IClock() = default;
    virtual QDateTime now() const = 0; // local time
};

class SystemClock final : public IClock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
