// The board file: the row parser every copy runs on each read, the rewrite of
// unchanged rows that an update cycle makes, the board list's row count and
// the board editor's whole-file reader.
#include "FuzzSupport.h"

#include "board/BoardFile.h"
#include "board/BoardState.h"
#include "editors/EditedListFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    const BoardFile::Parsed parsed = BoardFile::parse(bytes);
    if (parsed.rows.size() > BoardState::MaxRows || parsed.lines.size() != parsed.rows.size())
        __builtin_trap();
    if (BoardFile::countRows(bytes) > BoardState::MaxRows)
        __builtin_trap();
    for (const BoardRow& row : parsed.rows)
        (void)row.isSeparator();

    // A cycle that changes nothing must give every row back as it was read.
    if (!parsed.cutShort) {
        const QByteArray again = BoardFile::format(parsed.rows, parsed.beyondRows, parsed);
        const BoardFile::Parsed reread = BoardFile::parse(again);
        if (reread.rows != parsed.rows)
            __builtin_trap();
    }

    const QString path = Fuzz::writeFile(QStringLiteral("board.txt"), bytes);
    const BoardFile::RawRead raw = BoardFile::read(path);
    if (!raw.ok() || raw.bytes != bytes)
        __builtin_trap();
    const EditedListRead edited = EditedListFiles::readBoard(path);
    if (edited.status == EditedListRead::Ok && edited.rows.size() > EditedListFiles::BoardRows)
        __builtin_trap();
    return 0;
}
