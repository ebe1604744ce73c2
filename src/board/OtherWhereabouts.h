#pragma once

#include "board/BoardRow.h"

#include <QList>
#include <QString>
#include <QStringList>

// Setting other people's whereabouts on one board: the list the window shows
// and how its selection lands on the rows.
namespace OtherWhereabouts {

// The list item of a row: "*" and the name for a logged-in person, a blank and
// the name for a logged-out one, 28 hyphens for a separator row.
QString itemText(const BoardRow& row);
QStringList itemTexts(const QList<BoardRow>& rows);

// One selected item: its position in the list and the name it showed.
struct Pick {
    int index = -1;
    QString name;
    bool separator = false; // the item showed a separator row
};

struct Outcome {
    int changed = 0;
    int lastChanged = -1;   // row index of the last row changed, -1 when none
    QStringList notChanged; // names of picks that found no row of their own
};

// Sets destination, return and set time of the picked people. Another copy
// may have added, removed or moved rows since the list was filled, so a pick
// lands on the row at its position only while that row still bears the name
// the list showed, else on the one row bearing that name; with no such row or
// several, the pick changes nothing and its name is reported. Separator rows
// are never changed; picks that showed a separator are ignored.
Outcome apply(QList<BoardRow>& rows, const QList<Pick>& picks, const QString& destination,
              const QString& expectedReturn, const QString& setTime);

} // namespace OtherWhereabouts
