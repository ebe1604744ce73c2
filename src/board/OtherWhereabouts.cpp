#include "board/OtherWhereabouts.h"

namespace OtherWhereabouts {

QString itemText(const BoardRow& row)
{
    if (row.isSeparator())
        return QString(28, u'-');
    return (row.login == QLatin1String("1") ? QStringLiteral("*") : QStringLiteral(" ")) + row.name;
}

QStringList itemTexts(const QList<BoardRow>& rows)
{
    QStringList out;
    out.reserve(rows.size());
    for (const BoardRow& r : rows)
        out.append(itemText(r));
    return out;
}

namespace {

int rowFor(const QList<BoardRow>& rows, const Pick& pick)
{
    if (pick.index >= 0 && pick.index < rows.size()) {
        const BoardRow& at = rows[pick.index];
        if (!at.isSeparator() && at.name == pick.name)
            return pick.index;
    }
    int found = -1;
    for (int k = 0; k < rows.size(); ++k) {
        if (rows[k].isSeparator() || rows[k].name != pick.name)
            continue;
        if (found >= 0)
            return -1; // two rows bear the name: which one was meant is unknown
        found = k;
    }
    return found;
}

} // namespace

Outcome apply(QList<BoardRow>& rows, const QList<Pick>& picks, const QString& destination,
              const QString& expectedReturn, const QString& setTime)
{
    Outcome out;
    for (const Pick& pick : picks) {
        if (pick.separator)
            continue;
        const int k = rowFor(rows, pick);
        if (k < 0) {
            if (!out.notChanged.contains(pick.name))
                out.notChanged.append(pick.name);
            continue;
        }
        BoardRow& r = rows[k];
        r.destination = destination;
        r.expectedReturn = expectedReturn;
        r.setTime = setTime;
        ++out.changed;
        out.lastChanged = k;
    }
    return out;
}

} // namespace OtherWhereabouts
