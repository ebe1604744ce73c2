#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// When an expected return (戻り予定) given as a time or a date is due. The
// field is free text; only these forms are read, with full-width digits and
// signs as well, blanks around them allowed:
//   times      "15:00", "9:30", "15時", "15時30分", "15時半"
//   dates      "12/11", "2026/12/11", "12月11日" (the day is due at its end)
//   both       a date, optional blanks, a time ("12/11 15:00", "12月11日15時")
//   ranges     two of the above joined by "～", "〜" or "-": the later end counts
// Anything else ("未定", "明日", "15時頃") is free text and never due.
//
// A time alone belongs to the day the row was set (its set time, mm/dd hh:mm),
// or to the next day when it lies before the setting's time of day; without a
// usable set time, to today. A date without a year is taken in the year that
// puts it nearest to now.
std::optional<QDateTime> returnDeadline(const QString& text, const QDateTime& now, const QString& setTime = QString());

// The return has passed: now is after its deadline.
bool isOverdue(const QString& text, const QDateTime& now, const QString& setTime = QString());

// Tooltip of an overdue return cell.
QString overdueTooltip(const QString& text);
