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
// The shorter line for another person's row: no extension, no mail address.
QString otherWhereaboutsLogLine(const QString& dateTime, const BoardRow& row);

// Appends line to the whereabouts log (setting 33), which must exist: a missing
// log is reported and nothing is created. Returns true when the line was written.
// procedure opens the file error report ("(frmMain_cmdSettei_Click" or the
// window's own).
bool appendWhereaboutsLog(AppContext& ctx, const QString& line,
                          const QString& procedure = QStringLiteral("(frmMain_cmdSettei_Click"));
