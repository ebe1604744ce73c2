#pragma once

#include "board/BoardAccess.h"
#include "board/BoardRow.h"

#include <QList>
#include <QStringList>

class AppContext;

// Saves the board file editor's rows over path under the board's claim, the
// same claim and read-check-write round as every copy's update cycle, so no
// update made meanwhile is lost: fields 2 to 7 come from the file as it is then
// (carryOverWhereabouts). A missing file is created. Errors are reported as the
// board writer reports them; the main window's own rows are left alone.
CycleResult saveEditedBoard(AppContext& ctx, const QString& path, const QList<BoardRow>& rows,
                            const QStringList& origins);
