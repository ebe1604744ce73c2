#pragma once

#include <QtGlobal>

class AppContext;

// The inactivity watch behind Timer6: every tick asks the input-activity
// service whether a key or button was pressed since the last tick. Idle time
// adds up in a signed 16-bit counter of seconds; once it exceeds setting 104
// the absence change runs and the counter drops to -30000, so another change
// needs renewed use first (or 30000 more seconds without any).
class AbsenceWatch
{
public:
    static constexpr int TickSeconds = 10;
    static constexpr qint16 AfterAbsence = -30000;

    explicit AbsenceWatch(AppContext& ctx) : m_ctx(ctx) {}

    // At the main window's load: the counter back to 0 and presses made before
    // now discarded.
    void start();
    // One tick. True when the absence change ran (the grid wants redrawing).
    bool tick();

    qint16 counter() const { return m_counter; }

private:
    AppContext& m_ctx;
    qint16 m_counter = 0;
};

// The absence change: on every board shown and logged in to, the user's rows
// that show exactly the condition (settings 107 and 108) get the absence
// destination and return (105 and 106), the own extension and mail address, a
// new set time and the login mark. Other rows are left alone; nothing is
// logged. Returns how many rows changed.
int absenceChange(AppContext& ctx);
