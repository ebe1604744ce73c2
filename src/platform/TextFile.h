#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Shift-JIS text files with CR LF line ends. Reading accepts a lone LF as well
// (files edited on other systems); writing always uses CR LF.
struct TextReadResult {
    QStringList lines;
    bool endsWithNewline = false; // the last line carried its line break
    int error = 0;                // errno when the file could not be read
    bool ok() const { return error == 0; }
};

namespace TextFile {

// Splits decoded text into lines at CR LF (or LF); a final line break does not
// start an empty line.
QStringList splitLines(const QString& text, bool* endsWithNewline = nullptr);

// Whole-file helpers for files that only this copy writes (personal lists,
// logs it appends to). Shared files are written through SharedFile.
TextReadResult readLines(const QString& path);
QString readAll(const QString& path, int* error = nullptr);

// Each line followed by CR LF.
QByteArray joinLines(const QStringList& lines);

// Writes text as is (after encoding); returns 0 or errno.
int writeText(const QString& path, const QString& text);
int writeLines(const QString& path, const QStringList& lines);
int appendLines(const QString& path, const QStringList& lines);

} // namespace TextFile
