#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The three files the administrator's editors work on, read whole into rows of
// text fields and refused whole when they do not fit: a line that is not a
// complete record, or more lines than the editor's table holds. Blank lines
// are passed over, as every reader of these files does.
struct EditedListRead {
    enum Status { Ok, Missing, Malformed, TooLong } status = Missing;
    QList<QStringList> rows;
    int error = 0; // the system error when the file could not be read
};

namespace EditedListFiles {

inline constexpr int BoardRows = 100;      // board file editor's table
inline constexpr int BoardListLines = 21;  // board list editor's table (20 may be made)
inline constexpr int BoardListMade = 20;
inline constexpr int FtpEntries = 100;     // FTP list editor's table (99 may be made)
inline constexpr int FtpEntriesMade = 99;

// Seven texts a line.
EditedListRead readBoard(const QString& path);
// Number, group name, board file path (name and path trimmed).
EditedListRead readBoardList(const QString& path);
// Direction (its number as text), server name, server path, user, password,
// board file path.
EditedListRead readFtpList(const QString& path);

// The board list as its lines are written: numbered 1, 2, ... in list order.
QByteArray formatBoardList(const QList<QStringList>& rows);

// Replaces the board list whole under its claim, the previous one kept as
// path + ".bak". 0 or the system error; failedOpening as SharedFile::replace.
int writeBoardList(const QString& path, const QList<QStringList>& rows, bool* failedOpening = nullptr);
// The FTP list through its own writer (owner-only, ".bak").
int writeFtpList(const QString& path, const QList<QStringList>& rows);

// Whether two paths name the same file (the list in use is named by a setting,
// possibly spelled another way).
bool sameFile(const QString& a, const QString& b);

} // namespace EditedListFiles
