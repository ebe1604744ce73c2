#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Signs of life beside a board, so that a row left logged in by a copy that
// crashed or lost its machine can be told from a live one. Nothing in the board
// file changes: older copies read its seven fields by position and know nothing
// of this.
//
// Each copy keeps one small file per board it is logged in to, in the folder
// "<board file>.alive", named after its user (the Shift-JIS bytes of the name
// in upper-case hex, then ".hb": any name becomes a plain ASCII file name that
// every SMB server and client accepts, and two names never meet in one file).
// The file holds a token of this run, a counter and the writer's refresh
// interval in seconds; it is rewritten at every board refresh and removed at a
// clean exit. A reader never compares its clock with anybody's: it notes, by
// its own monotonic clock, when it saw the content change.
namespace Heartbeat {

QString folderFor(const QString& boardPath);
// "" for an empty name.
QString fileNameFor(const QString& userName);
// The user a heartbeat file belongs to; empty when the name is not one of ours.
QString userOf(const QString& fileName);

} // namespace Heartbeat

// The heartbeats of this copy.
class HeartbeatWriter
{
public:
    // token tells this run from an earlier one of the same user, so that a
    // restarted copy writing the same counter is still seen to change.
    explicit HeartbeatWriter(QByteArray token = QByteArray());

    // Rewrites the user's heartbeat beside each board of boardPaths and
    // removes the ones beside boards no longer among them. intervalSeconds is
    // the time between two beats (readers allow three of them). Failures are
    // left alone: a share that is away now is tried again at the next beat, and
    // a heartbeat that could not be written only looks stale to others.
    // Returns how many heartbeats were written.
    int beat(const QString& userName, const QStringList& boardPaths, int intervalSeconds);
    // Clean exit: removes every heartbeat of this copy.
    void stop();

    quint64 counter() const { return m_counter; }

private:
    void removeFrom(const QString& boardPath);

    QByteArray m_token;
    quint64 m_counter = 0;
    QString m_user;
    QSet<QString> m_boards; // boards written to
};

// What one copy observes of the others' heartbeats.
class HeartbeatMonitor
{
public:
    struct Seen {
        QByteArray content;
        qint64 changedMs = 0;    // monotonic time the last change is dated to
        QDateTime changedLocal;  // local time of the look that saw it
        qint64 writerIntervalMs = 0;
        bool stale = false;
    };

    // One look at the heartbeats beside boardPath. nowMs is this copy's
    // monotonic clock, nowLocal its local time (only shown to the user),
    // intervalMs its own refresh interval. A heartbeat is stale when it has not
    // changed for three intervals (the longer of the reader's and the one the
    // writer declares). A change seen now happened after the previous look, so
    // it is dated to that look (at most one interval back): a copy that stops
    // is shown stale between two and three intervals after its last beat.
    // Returns false (nothing changes) when the folder cannot be listed: a
    // board without heartbeats or a share that is away.
    bool look(const QString& boardPath, qint64 nowMs, const QDateTime& nowLocal, qint64 intervalMs);

    // The heartbeat of user beside boardPath as last looked at; none when the
    // user has none (an older copy, a clean exit): never stale.
    std::optional<Seen> seen(const QString& boardPath, const QString& userName) const;
    bool isStale(const QString& boardPath, const QString& userName) const;

private:
    struct Board {
        qint64 lastLookMs = -1;
        QHash<QString, Seen> users;
    };
    QHash<QString, Board> m_boards;
};

// The tooltip of a stale row's login mark: "応答がありません（最終確認 hh:mm）".
QString staleTooltip(const QDateTime& lastChangeLocal);
