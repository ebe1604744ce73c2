// The board list: read at start-up into the board table (each named board
// file looked at for its row count) and by the board list editor.
#include "FuzzSupport.h"

#include "board/BoardAccess.h"
#include "editors/EditedListFiles.h"
#include "startup/AppContext.h"
#include "startup/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::Copy copy;
    const QByteArray bytes = Fuzz::bytes(data, size);
    const QString path = Fuzz::writeFile(QStringLiteral("ban.txt"), bytes);
    Settings& s = copy.ctx().settings();
    s.setText(SettingNo::BoardList, path);
    for (int board = 1; board <= BoardState::BoardCount; ++board) {
        s.setBoardDigit(SettingNo::BoardShown, board, 2);
        s.setBoardDigit(SettingNo::BoardLoggedIn, board, board % 2 ? 2 : 1);
    }

    const GroupBoxItems box = Banfile_Read(copy.ctx());
    if (box.items.isEmpty() || box.selected < 0 || box.selected >= box.items.size())
        __builtin_trap();

    const EditedListRead edited = EditedListFiles::readBoardList(path);
    if (edited.status == EditedListRead::Ok && edited.rows.size() > EditedListFiles::BoardListLines)
        __builtin_trap();
    return 0;
}
