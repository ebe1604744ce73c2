#pragma once

#include "board/BoardRow.h"
#include "platform/FileOps.h"
#include "platform/SharedClaim.h"

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <functional>

// What one copy keeps about boards between calls: the board table, the row
// table of the board read last, and the time stamps the grid compares. The
// AppContext owns one; every board routine works on it.
class BoardState
{
public:
    static constexpr int BoardCount = 20;
    static constexpr int MaxRows = 50;

    // Board table, indices 0 to 19 in board-list order.
    std::array<BoardEntry, BoardCount> entries {};

    // Row table: the rows of the board file read last, at most 50. Row n of the
    // board (1-based, as the windows count) is rows[n - 1].
    QList<BoardRow> rows;
    int rowCount() const { return int(rows.size()); }
    BoardRow& row(int n) { return rows[n - 1]; }
    const BoardRow& row(int n) const { return rows[n - 1]; }

    // The board shown in the grid.
    QString currentPath;
    // Time stamp of the board file taken by the last Ikifile_Read: the text
    // form (second resolution) and the full stamp of the same read.
    QString lastReadStamp;
    Fs::FileStamp lastReadFileStamp;
    // Row count of the last settled read of each board (by path): a board that
    // comes back shorter is read again until it stops changing.
    QHash<QString, int> lastStableRows;
    // Path and text time stamp of the board the grid was filled from last.
    QString shownPath;
    QString shownStamp;

    // How waits on shared board files behave (pause, stale-claim age, bounds).
    // Tests shorten them; the program keeps the defaults.
    SharedClaim::Options waits;

    // Boards this copy is changing right now. A wait lets pending events run; a
    // cycle started from one on a board whose claim this copy already holds
    // would wait for itself, so it is refused instead.
    QStringList busyBoards;
    // Update cycles under way (a wait in one lets events run). The main window
    // holds back its unload until they are done.
    int cyclesRunning = 0;

    // Changes of this user's own rows made while the board's share was away,
    // in the order they were made; written by flushPendingChanges once it
    // answers again (BoardAccess.h).
    struct PendingChange {
        QString path;
        std::function<void(QList<BoardRow>&)> change;
    };
    QList<PendingChange> pendingChanges;
    bool flushingPending = false;

    // Every board table entry back to empty (number 0, texts empty, flags 0).
    void clearTable() { entries.fill(BoardEntry {}); }
};
