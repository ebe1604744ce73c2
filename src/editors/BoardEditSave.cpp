#include "editors/BoardEditSave.h"

#include "board/BoardFile.h"
#include "board/BoardState.h"
#include "editors/ListEditorCore.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QFile>

CycleResult saveEditedBoard(AppContext& ctx, const QString& path, const QList<BoardRow>& rows,
                            const QStringList& origins)
{
    BoardState& st = ctx.board();
    const QList<BoardRow> shown = st.rows;
    CycleResult r = runUpdateCycle(
        ctx, -1, path,
        [&](QList<BoardRow>& current) { current = carryOverWhereabouts(rows, origins, current); },
        false);
    st.rows = shown;
    // A board not there yet is made; one whose folder is away meets the
    // claim's error below.
    if (r != CycleResult::Missing && r != CycleResult::Unreachable)
        return r;
    SharedClaim claim(SharedClaim::lockPathFor(path));
    int err = claim.acquire();
    bool failedOpening = true;
    // A file that appeared meanwhile is another copy's board: not ours to replace blindly.
    if (err == 0)
        err = QFile::exists(path) ? EEXIST : SharedFile::replace(path, BoardFile::format(rows), false, &failedOpening);
    if (err == 0)
        SharedClaim::sweepLeftovers(path);
    claim.release();
    if (err == 0)
        return CycleResult::Written;
    reportFileError(ctx.msgBox(), QStringLiteral("(Ikifile_Write)"), path,
                    failedOpening ? FileErrorKind::Open : FileErrorKind::Write, err);
    return CycleResult::Failed;
}
