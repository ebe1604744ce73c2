#pragma once

#include "board/Heartbeat.h"
#include "board/ShareHealth.h"

#include <QDateTime>
#include <QList>
#include <QString>

class AppContext;
struct BoardRow;

// What the board refresh adds to the rows it shows: this copy's heartbeat,
// the others' seen from here, overdue returns, and whether the shared places
// can be reached. The main window calls it at its refresh and paints what it
// answers.
class BoardPresence
{
public:
    explicit BoardPresence(AppContext& ctx);

    // The refresh interval of this copy in milliseconds (the board refresh runs
    // when its one-second count exceeds setting 41); 0 when it does not refresh.
    qint64 intervalMs() const;

    // This copy's heartbeat on every board it is logged in to.
    void beat();
    // Clean exit: the heartbeats go.
    void stop();

    // After the board at path was read: looks at its heartbeats and at the
    // shared places. Returns the places that have just become unreachable
    // (each reported once, until it comes back).
    QList<ShareHealth::Place> boardRead(const QString& path);

    struct RowMark {
        bool stale = false;
        QString staleTip;
        bool overdue = false;
        QString overdueTip;
    };
    // Marks of one row of the board at path, as of now.
    RowMark markOf(const QString& path, const BoardRow& row) const;

    const ShareHealth& health() const { return m_health; }
    const HeartbeatMonitor& monitor() const { return m_monitor; }

private:
    AppContext& m_ctx;
    HeartbeatWriter m_writer;
    HeartbeatMonitor m_monitor;
    ShareHealth m_health;
};
