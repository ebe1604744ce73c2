#pragma once

#include "board/BoardRow.h"
#include "platform/FileOps.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The board file format: Shift-JIS, CR LF, one row per line, seven fields each in
// double quotes, commas between. Pure functions over bytes, plus a read that
// takes the file's stamp from the same open handle as its content.
namespace BoardFile {

struct Parsed {
    QList<BoardRow> rows;   // at most BoardState::MaxRows
    bool cutShort = false;  // a line ends before its seventh field or inside quotes
    QByteArray beyondRows;  // lines after the 50th, kept byte for byte for write-back
    QList<QByteArray> lines; // each row's line as read, without its line end
};

// Empty lines do not count as rows. Lines after the 50th row are not rows but
// are kept in beyondRows, so a rewrite does not drop them.
Parsed parse(const QByteArray& bytes);

// Rows as the quoted-write statement writes them, each line ended by CR LF,
// followed by beyond (lines kept from a longer file) as they were.
QByteArray format(const QList<BoardRow>& rows, const QByteArray& beyond = {});

// format, but a row equal to one of original's is written with that row's line
// as it was read: bytes that do not survive decoding (a lone lead byte, an
// unassigned pair) stay as they were in rows nobody changed.
QByteArray format(const QList<BoardRow>& rows, const QByteArray& beyond, const Parsed& original);

// Number of lines of a board file (the board list's row count), at most 50.
int countRows(const QByteArray& bytes);

struct RawRead {
    int error = 0;          // errno of open or read; ENOENT when missing
    QByteArray bytes;
    Fs::FileStamp stamp;    // of the handle the bytes came from
    QString stampText;      // "yyyy/MM/dd HH:mm:ss", the second-resolution form
    bool ok() const { return error == 0; }
};
RawRead read(const QString& path);

} // namespace BoardFile
