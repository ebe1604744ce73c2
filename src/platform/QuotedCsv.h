#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The comma-separated convention of every list and record file: text fields in
// double quotes, numbers bare, commas between, no escaping inside a field.
namespace QuotedCsv {

struct ParsedLine {
    QStringList fields;
    bool complete = true; // false when a quoted field lacks its closing quote
};

// Field by field as the classic quoted-read statement does: leading blanks
// skipped, a quoted field runs to its closing quote (commas inside are kept and
// anything between that quote and the next comma is dropped), a bare field runs
// to the next comma and loses trailing blanks.
ParsedLine parseLine(QStringView line);

struct Field {
    QString value;
    bool quoted = true;
};
inline Field text(const QString& s) { return {s, true}; }
inline Field number(qint64 n) { return {QString::number(n), false}; }

// A field cannot hold a double quote or a line break in this format; writing one
// would cut the record, so they are replaced by ” and a blank.
QString sanitize(QStringView value);

QString formatLine(const QList<Field>& fields);
// Every field quoted, as board rows are written.
QString formatTextLine(const QStringList& fields);

} // namespace QuotedCsv
