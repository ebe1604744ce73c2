#pragma once

#include <QString>

// The personal lists as their editor shows them: every line of the file
// followed by a line break; saving writes every piece of the text between line
// breaks as one line, the last piece included.
namespace PersonalListFile {

// Creates the file empty when it is missing. Returns 0 or the system error.
int load(const QString& path, QString* text);
int save(const QString& path, const QString& text, bool* failedOpening = nullptr);

} // namespace PersonalListFile
