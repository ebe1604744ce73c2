#include "editors/BoardEditSave.h"

#include "board/BoardFile.h"
#include "board/BoardState.h"
#include "editors/ListEditorCore.h"
#include "platform/SharedClaim.h"
#include "platform/SharedFile.h"
#include "startup/AppContext.h"

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
    if (r != CycleResult::Missing)
        return r;
    SharedClaim claim(SharedClaim::lockPathFor(path));
    if (claim.acquire() != 0)
        return CycleResult::Failed;
    const int err = QFile::exists(path) ? EEXIST : SharedFile::replace(path, BoardFile::format(rows), false);
    claim.release();
    return err == 0 ? CycleResult::Written : CycleResult::Failed;
}
