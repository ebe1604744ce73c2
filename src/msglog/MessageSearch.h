#pragma once

#include "msglog/MessageLog.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

// The viewer's search: up to four conditions over the record table, joined
// all by AND or all by OR. Plain logic; frmKensaku reads its boxes into it.
namespace MessageSearch {

// Text as "を含む" compares it: compatibility forms folded (full-width
// letters and digits, half-width katakana) and letter case folded, so "ＡＢＣ",
// "abc" and "ABC" are one text, as are "ｶﾞ" and "ガ".
QString fold(const QString& text);
// Folds text into out (cleared first), reusing its storage.
void foldInto(QStringView text, QString& out);

struct Conditions {
    bool atesaki = false;     // the addressees contain atesakiText
    QString atesakiText;
    bool sashidashi = false;  // the sender contains sashidashiText
    QString sashidashiText;
    bool honbun = false;      // the message text contains honbunText
    QString honbunText;
    bool soushinbi = false;   // the date lies between dateFrom and dateTo, both included
    QString dateFrom;         // YYYYMMDD
    QString dateTo;
    bool orJoin = false;      // "または"; otherwise "かつ"

    bool any() const { return atesaki || sashidashi || honbun || soushinbi; }
};

// Table indexes (from 0) of the matching records, trash included, walked in
// order (the viewer's current table order), or in file order without one.
QList<qint32> search(const MessageLog::RecordTable& table, const std::vector<qint32>& order, const Conditions& c);
QList<qint32> search(const MessageLog::RecordTable& table, const Conditions& c);

// One date box of the search window, checked as typed.
enum class DateBox { FromYear, FromMonth, FromDay, ToYear, ToMonth, ToDay };
// The box's initial text ("2000", "01", "01"; "2999", "12", "31").
QString initialText(DateBox box);
// The text to write back (a month or day below 10 gets its leading "0"), or
// nothing when the text is not a number in the box's range.
std::optional<QString> checkDateBox(DateBox box, const QString& text);

} // namespace MessageSearch
