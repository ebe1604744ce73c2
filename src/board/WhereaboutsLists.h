#pragma once

#include <QString>
#include <QStringList>

class AppContext;
struct BoardRow;

// The entries offered by the destination and return boxes: the personal list
// (its non-empty lines) first, then the common list (every line), each in file
// order. A missing file contributes nothing.
namespace WhereaboutsLists {
QStringList personalEntries(const QString& path);
QStringList commonEntries(const QString& path);
} // namespace WhereaboutsLists

// One line of the whereabouts log for a row just set.
QString whereaboutsLogLine(const QString& dateTime, const BoardRow& row);

// Appends line to the whereabouts log (setting 33), which must exist: a missing
// log is reported and nothing is created. Returns true when the line was written.
bool appendWhereaboutsLog(AppContext& ctx, const QString& line);
