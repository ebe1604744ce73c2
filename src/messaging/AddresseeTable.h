#pragma once

#include "board/BoardRow.h"

#include <QList>
#include <QString>
#include <QStringList>

// The boards the composing window lists, each with the rows it showed and which
// of its entries are checked. Entry i of a board stands for its row i + 1.
//
// Names and addresses are taken from the rows as they were listed, not from a
// fresh read of the board file: a board that gained or lost a row meanwhile
// would otherwise put another person behind a checked entry.
class AddresseeTable
{
public:
    struct Board {
        QString groupName;
        QString path;
        bool readOnly = false;
        QList<BoardRow> rows;
        QList<bool> checked; // one per row
    };

    // A checked entry that is addressed: board index and entry index.
    struct Pick {
        int board = 0;
        int entry = 0;
        bool operator==(const Pick&) const = default;
    };

    // "*" + name for a logged-in row, " " + name for a logged-out one, 28
    // hyphens for a separator row (as the main grid tells them apart).
    static QString entryText(const BoardRow& row);
    static QString separatorText();
    // Only people are addressed; separator rows may be checked but never are.
    static bool isAddressable(const BoardRow& row) { return !row.isSeparator(); }

    void addBoard(const QString& groupName, const QString& path, bool readOnly,
                  const QList<BoardRow>& rows);
    int boardCount() const { return int(m_boards.size()); }
    const Board& board(int b) const { return m_boards[b]; }

    bool isChecked(int b, int entry) const;
    // False when there is no such entry.
    bool setChecked(int b, int entry, bool on);
    void setAll(int b, bool on);
    // Checks exactly the entries shown with a leading "*".
    void setLoggedIn(int b);
    void uncheckReadOnlyBoards();

    // Any entry checked, separators included.
    bool anyChecked() const;
    // An entry of a read-only board is checked.
    bool readOnlyChecked() const;
    // Checked entries that are people, in board order then entry order.
    QList<Pick> picks() const;
    QStringList recipients() const;
    // "宛先：" followed by each recipient and ",".
    QString addresseeLine() const;
    // The mail address of every checked entry, in the same order; separator
    // rows and rows without an address give nothing.
    QStringList mailAddresses() const;

private:
    QList<Board> m_boards;
};
