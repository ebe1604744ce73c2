#include "messaging/AddresseeTable.h"

QString AddresseeTable::separatorText()
{
    return QString(28, u'-');
}

QString AddresseeTable::entryText(const BoardRow& row)
{
    if (row.isSeparator())
        return separatorText();
    return (row.login == QLatin1String("1") ? QStringLiteral("*") : QStringLiteral(" ")) + row.name;
}

void AddresseeTable::addBoard(const QString& groupName, const QString& path, bool readOnly,
                              const QList<BoardRow>& rows)
{
    m_boards.append({groupName, path, readOnly, rows, QList<bool>(rows.size(), false)});
}

bool AddresseeTable::isChecked(int b, int entry) const
{
    return b >= 0 && b < boardCount() && entry >= 0 && entry < m_boards[b].checked.size()
        && m_boards[b].checked[entry];
}

bool AddresseeTable::setChecked(int b, int entry, bool on)
{
    if (b < 0 || b >= boardCount() || entry < 0 || entry >= m_boards[b].checked.size())
        return false;
    m_boards[b].checked[entry] = on;
    return true;
}

void AddresseeTable::setAll(int b, bool on)
{
    if (b < 0 || b >= boardCount())
        return;
    m_boards[b].checked.fill(on);
}

void AddresseeTable::setLoggedIn(int b)
{
    if (b < 0 || b >= boardCount())
        return;
    Board& board = m_boards[b];
    for (qsizetype i = 0; i < board.rows.size(); ++i)
        board.checked[i] = entryText(board.rows[i]).startsWith(u'*');
}

void AddresseeTable::uncheckReadOnlyBoards()
{
    for (Board& board : m_boards)
        if (board.readOnly)
            board.checked.fill(false);
}

bool AddresseeTable::anyChecked() const
{
    for (const Board& board : m_boards)
        if (board.checked.contains(true))
            return true;
    return false;
}

bool AddresseeTable::readOnlyChecked() const
{
    for (const Board& board : m_boards)
        if (board.readOnly && board.checked.contains(true))
            return true;
    return false;
}

QList<AddresseeTable::Pick> AddresseeTable::picks() const
{
    QList<Pick> out;
    for (int b = 0; b < boardCount(); ++b) {
        const Board& board = m_boards[b];
        for (int i = 0; i < board.rows.size(); ++i)
            if (board.checked[i] && isAddressable(board.rows[i]))
                out.append({b, i});
    }
    return out;
}

QStringList AddresseeTable::recipients() const
{
    QStringList out;
    for (const Pick& p : picks())
        out.append(m_boards[p.board].rows[p.entry].name);
    return out;
}

QString AddresseeTable::addresseeLine() const
{
    QString line = QStringLiteral("宛先：");
    for (const QString& name : recipients())
        line += name + u',';
    return line;
}

QStringList AddresseeTable::mailAddresses() const
{
    QStringList out;
    for (const Pick& p : picks()) {
        const QString address = m_boards[p.board].rows[p.entry].mailAddress.trimmed();
        if (!address.isEmpty())
            out.append(address);
    }
    return out;
}
