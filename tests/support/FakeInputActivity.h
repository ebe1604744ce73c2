#pragma once

#include "platform/InputActivity.h"

// Key and button use as the test makes it: press() is a key or button pressed
// since the last poll; an unavailable one behaves as the null service.
class FakeInputActivity final : public IInputActivity
{
    Q_OBJECT

public:
    void press() { m_used = true; }
    void setAvailable(bool available) { m_available = available; }
    int polls() const { return m_polls; }

    bool usedSincePoll() override
    {
        ++m_polls;
        const bool used = m_used || !m_available;
        m_used = false;
        return used;
    }
    bool isAvailable() const override { return m_available; }

private:
    bool m_used = false;
    bool m_available = true;
    int m_polls = 0;
};
