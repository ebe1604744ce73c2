#pragma once

#include <QString>
#include <QStringList>

// "template.ini" in the program folder: one message template per line
// (Shift-JIS, CR LF), edited with the personal lists dialog.
namespace TemplateList {

inline QString fileName()
{
    return QStringLiteral("template.ini");
}

// Creates the file empty when it is missing, then gives its non-empty lines in
// file order. Returns 0 or the system error of the create or the read.
int load(const QString& path, QStringList* templates);

} // namespace TemplateList
