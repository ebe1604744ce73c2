#pragma once

#include <QString>

class IClock;
class IMessageBox;

// Small routines that nearly every window calls.

// -1 when path is a file that opens for reading, 0 otherwise (missing, a
// folder, no permission, empty path).
int FileExists(const QString& path);

// Mode 1: "yyyy/mm/dd hh:mm:ss"; any other mode: "yyyymmddhhmmss", which sorts
// in time order as text. The clock is read once.
QString DateTimeText(const IClock& clock, int mode);

// "mm/dd hh:mm", the set-time field of a board row.
QString SetTimeText(const IClock& clock);

// 1-based position of the last occurrence of pattern in text, 999 when there is none.
int LastPos(const QString& text, const QString& pattern);

// The text without the half-width blanks (U+0020) at its ends. Typed names and
// text settings are trimmed so; tabs and full-width spaces (U+3000) are part of
// the text, since destinations such as "　外出　" are compared with board rows.
QString trimBlanks(const QString& text);

enum class FileErrorKind { Open, Write };

// The one report of a shared or settings file that cannot be opened or written:
// OK only, no icon, title "Porlune". procedure is the text that opens the
// message, such as "(Inifile_Write)".
void reportFileError(IMessageBox& box, const QString& procedure, const QString& path,
                     FileErrorKind kind, int errorNumber);
QString fileErrorText(const QString& procedure, const QString& path, FileErrorKind kind,
                      int errorNumber);

// The program's title in every message box.
inline QString appTitle()
{
    return QStringLiteral("Porlune");
}
