#pragma once

#include "msglog/MessageLog.h"

#include <QList>
#include <QString>

// What the viewer's message pane shows of one record: runs of plain text,
// each with the colour role it is drawn in. The pane inserts them as text
// with character formats; nothing in them is ever read as markup.
namespace MessageDisplay {

enum class Role { Header, Text, OddQuote, EvenQuote };

struct Run {
    QString text;
    Role role = Role::Text;
    bool operator==(const Run&) const = default;
};

// The colour of a text line: by its count of leading ">" (none: the text
// colour; 1, 3, ...: odd; 2, 4, ...: even). A blank before ">" counts as none.
Role quoteRole(QStringView line);

// The header block (39 asterisks, sender or addressees, date and time, 39
// asterisks) and the text lines, each run ending with CR LF.
QList<Run> runs(const MessageLog::RecordTable& table, qsizetype k);

} // namespace MessageDisplay
