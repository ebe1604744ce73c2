#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The list handling the three administrator editors share: a table of rows
// (each row its fields as text) with a row limit, the selected row, the
// "modified" flag, and for every row the key it had when the file was opened,
// so a save can match renamed rows with the file as it is now.
class ListEditorCore
{
public:
    explicit ListEditorCore(int maxRows);

    // A freshly opened or new list: nothing modified, first row selected.
    void load(const QList<QStringList>& rows, int keyField = 0);

    const QList<QStringList>& rows() const { return m_rows; }
    int count() const { return int(m_rows.size()); }
    int maxRows() const { return m_maxRows; }
    // The key a row had at opening; empty for rows added since.
    QString originOf(int row) const { return m_origins.value(row); }

    int selected() const { return m_selected; }
    void select(int row);

    bool canAdd() const { return count() < m_maxRows; }
    bool canChange() const { return m_selected >= 0; }
    bool canDelete() const { return m_selected >= 0; }
    bool canMoveUp() const { return m_selected > 0; }
    bool canMoveDown() const { return m_selected >= 0 && m_selected < count() - 1; }

    // Each gives false and changes nothing when its button would be disabled.
    bool add(const QStringList& row);    // appended and selected
    bool change(const QStringList& row); // the selected row; keeps its origin
    bool remove();                       // selects the row now at that place, or the new last (-1 when none left)
    bool moveUp();
    bool moveDown();

    // Index of the row whose field equals key, skipping row except; -1 if none.
    int indexOf(const QString& key, int field = 0, int except = -1) const;

    bool modified() const { return m_modified; }
    // After a successful write only: the rows now are the file's rows.
    void markSaved(int keyField = 0);

private:
    int m_maxRows;
    QList<QStringList> m_rows;
    QStringList m_origins;
    int m_selected = -1;
    bool m_modified = false;
};

struct BoardRow;

// A board saved from the editor keeps every person's whereabouts as they are in
// the file now, not as they were at opening: fields 2 to 7 of each row whose
// origin (its name at opening) names a person row of current are taken from
// there. Rows added in the editor, and separators, keep their own fields.
QList<BoardRow> carryOverWhereabouts(const QList<BoardRow>& edited, const QStringList& origins,
                                     const QList<BoardRow>& current);

namespace ListEditorRules {

// The lists are quoted files: a double quote, CR or LF in a field cannot be
// stored. Gives the message for the first such field, or an empty text.
QString badCharacterMessage(const QStringList& fields);

// A name of only blanks, or the separator's own text, is not a name.
bool isUsableName(const QString& name, const QString& reserved);

// Empty required name: any file name. Otherwise the file name (not the folder)
// must equal it, ignoring case.
bool fileNameAllowed(const QString& path, const QString& required);

// Boards are numbered by their place in the board list, and users' settings
// point at those numbers. Gives the groups of the list as opened (origins, in
// their old order) that would get another number, or none, on saving edited
// (the new order, each row's origin): "name (old→new)" texts in old order.
QStringList renumberedGroups(const QStringList& openedOrigins, const QStringList& editedOrigins);

// The file's time as last read or written by the editor, to tell whether
// another copy wrote it since.
class FileStamp
{
public:
    void take(const QString& path);
    void clear() { m_path.clear(); m_time = {}; }
    bool changedSince() const;

private:
    QString m_path;
    QDateTime m_time;
};

} // namespace ListEditorRules
