#pragma once

#include "board/BoardRow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class AppContext;
class IMessageBox;
class SharedClaim;

// The board routines of a running copy: the board list, reading and writing board
// files, and the update cycle that every change of a board goes through. They work
// on ctx.board() and report to the user through ctx.msgBox().
//
// Between copies: a change is made under the board's claim (SharedClaim, the
// file path + ".lck"): read, change in memory, check under the claim that the
// content is still what was read (else read again and apply the change again),
// keep the previous content in path + ".bak", then replace the file in one step
// (temporary file + rename). Readers never meet a partly written board of ours
// and retry when the file is missing for a moment while a claim is held (a
// rename over an existing file on an SMB mount is delete-then-rename).

// The group box items and the one to select, as Banfile_Read computes them.
struct GroupBoxItems {
    QStringList items;  // one per shown board; "(読み取り専用)" appended for read-only
                        // boards; one empty item when no board is shown
    int selected = 0;   // setting 62 when below the item count, else 0
};

// Rebuilds the board table from the board list (setting 19) and the flags of
// settings 23 and 24; returns the group box content.
GroupBoxItems Banfile_Read(AppContext& ctx);

// Reads the board file into the row table and records its time stamp; returns
// the row count (0 to 50). 0 without a message when the file does not exist;
// waits while it is empty, restores it from ".bak" on the 50th attempt, and
// ends with the damaged-board message when it stays unusable.
int Ikifile_Read(AppContext& ctx, const QString& path);

// Writes the row table (rows 1 to its row count) to the board file through its
// ".bak" copy, under the board's claim. Errors are reported with "(Ikifile_Write)".
// Returns 0 or the system error.
int Ikifile_Write(AppContext& ctx, int boardIndex, const QString& path);

// A change applied to the row table of one board. It may run more than once in
// one cycle (each time on fresh content) and must not show anything.
using RowChange = std::function<void(QList<BoardRow>& rows)>;

enum class CycleResult {
    Written,  // the change is on the board
    Missing,  // the board file does not exist (any more): skipped silently
    Damaged,  // the read ended with the damaged-board message; nothing written
    Failed,   // a file error was reported; the board is as it was
    Unreachable, // not even the board's folder answers (its share is away): nothing written
};

// The update cycle for one board: read, change, check, write. boardIndex (0 to
// 19, or -1 for none) gets the row count read. Lines after the 50th row are
// written back unless keepBeyond is false (change then gives the whole board).
CycleResult runUpdateCycle(AppContext& ctx, int boardIndex, const QString& path,
                           const RowChange& change, bool keepBeyond = true);

// As runUpdateCycle, for changes of the user's own rows that must not be lost
// to an outage: when the board's share does not answer (Unreachable), the
// change is kept and written, after any kept before it, by
// flushPendingChanges. A board with changes kept takes new ones behind them.
// change must own what it uses (it may run long after the caller returned).
CycleResult updateOrKeep(AppContext& ctx, int boardIndex, const QString& path, const RowChange& change);
// Writes the kept changes of every board that answers again, each board's in
// one update cycle. Returns how many boards were written. Changes of a board
// that is missing, damaged or fails to write are dropped (the last two were
// reported); those of a board still away stay.
int flushPendingChanges(AppContext& ctx);
// How many changes are waiting for their share.
int pendingChangeCount(const AppContext& ctx);

// Applies fn to every row that belongs to name (a person's own rows). Separator
// rows never count as anybody's row. Returns how many rows matched.
int forEachOwnRow(QList<BoardRow>& rows, const QString& name,
                  const std::function<void(BoardRow&)>& fn);

// Login and logout on every board that is shown and logged in. Ikifile_Login
// returns 1 when the user's own row was found on at least one board.
// endSetChecked is the state of the main window's mnuEndSet
// ("今日は終了時に自動入力しない").
// keepWhenAway: a board whose share is away gets the login when it is back
// (updateOrKeep); otherwise the login counts only where it was written.
int Ikifile_Login(AppContext& ctx, bool keepWhenAway = false);
void Ikifile_Logout(AppContext& ctx, bool endSetChecked);
// Logout on the given boards only (boards the user stops using while the
// program runs), leaving the whereabouts as they are.
void Ikifile_LogoutOf(AppContext& ctx, const QStringList& paths);

// The damaged-board message: "共有掲示板ファイルに異常があります",
// title "掲示板アクセスエラー", stop icon, OK.
void showDamagedBoard(IMessageBox& box);

// Lower-level reading, for tools and for callers that hold the claim already.
struct BoardReadOutcome {
    enum Status { Ok, Missing, Damaged } status = Missing;
    QList<BoardRow> rows;
    QByteArray bytes;       // the content the rows came from
    QByteArray beyondRows;  // lines after the 50th
    QList<QByteArray> lines; // each row's line as read
    QString stampText;
    bool readOnly = false;  // the file as read carries the read-only attribute
    int attempts = 0;
};
// The wait-restore-read loop without the message box. heldClaim, when given, is
// the claim of path held by the caller (refreshed while waiting, used for the
// restore); otherwise a restore takes the claim itself.
BoardReadOutcome readBoard(AppContext& ctx, const QString& path, SharedClaim* heldClaim = nullptr);
