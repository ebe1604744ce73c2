#include "board/BoardPresence.h"

#include "board/BoardRow.h"
#include "board/BoardState.h"
#include "board/ReturnDue.h"
#include "platform/Clock.h"
#include "startup/AppContext.h"

BoardPresence::BoardPresence(AppContext& ctx) : m_ctx(ctx)
{
}

qint64 BoardPresence::intervalMs() const
{
    const int seconds = m_ctx.settings().intValue(41);
    return seconds > 0 ? qint64(seconds + 1) * 1000 : 0;
}

void BoardPresence::beat()
{
    QStringList paths;
    const BoardState& board = m_ctx.board();
    for (const BoardEntry& e : board.entries)
        if (e.number >= 1 && e.number <= BoardState::BoardCount && e.shown && e.loggedIn && !paths.contains(e.path))
            paths.append(e.path);
    m_writer.beat(m_ctx.settings().text(SettingNo::UserName), paths, int(intervalMs() / 1000));
}

void BoardPresence::stop()
{
    m_writer.stop();
}

QList<ShareHealth::Place> BoardPresence::boardRead(const QString& path)
{
    const Settings& s = m_ctx.settings();
    QList<ShareHealth::Place> gone;
    const std::pair<ShareHealth::Place, QString> places[] = {
        {ShareHealth::BoardList, s.text(SettingNo::BoardList)},
        {ShareHealth::Board, path},
        {ShareHealth::MailPlace, s.text(SettingNo::MailPlace)},
    };
    for (const auto& [place, p] : places)
        if (m_health.check(place, p))
            gone.append(place);
    if (m_health.state(ShareHealth::Board).reachable) {
        m_health.boardRead(m_ctx.clock().now());
        // Looks come at this copy's refresh; without one, a look per read
        // counts against a whole default interval.
        const qint64 interval = intervalMs() > 0 ? intervalMs() : 301000;
        m_monitor.look(path, m_ctx.clock().monotonicMs(), m_ctx.clock().now(), interval);
    }
    return gone;
}

BoardPresence::RowMark BoardPresence::markOf(const QString& path, const BoardRow& row) const
{
    RowMark mark;
    if (row.isSeparator())
        return mark;
    if (row.login == QLatin1String("1")) {
        if (const auto seen = m_monitor.seen(path, row.name); seen && seen->stale) {
            mark.stale = true;
            mark.staleTip = staleTooltip(seen->changedLocal);
        }
    }
    const QDateTime now = m_ctx.clock().now();
    if (isOverdue(row.expectedReturn, now, row.setTime)) {
        mark.overdue = true;
        mark.overdueTip = overdueTooltip(row.expectedReturn);
    }
    return mark;
}
