#include "platform/QuotedCsv.h"

namespace QuotedCsv {

namespace {
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
} // namespace

ParsedLine parseLine(QStringView line)
{
    ParsedLine r;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && isBlank(line[i]))
            ++i;
        QString field;
        if (i < n && line[i] == u'"') {
            const qsizetype close = line.indexOf(u'"', i + 1);
            if (close < 0) {
                r.fields.append(line.mid(i + 1).toString());
                r.complete = false;
                return r;
            }
            field = line.mid(i + 1, close - i - 1).toString();
            i = close + 1;
            const qsizetype comma = line.indexOf(u',', i);
            i = comma < 0 ? n : comma;
        } else {
            const qsizetype comma = line.indexOf(u',', i);
            const qsizetype end = comma < 0 ? n : comma;
            qsizetype e = end;
            while (e > i && isBlank(line[e - 1]))
                --e;
            field = line.mid(i, e - i).toString();
            i = end;
        }
        r.fields.append(field);
        if (i >= n)
            break;
        ++i; // past the comma
    }
    return r;
}

QString sanitize(QStringView value)
{
    QString s = value.toString();
    for (QChar& c : s) {
        if (c == u'"')
            c = u'\u201D';
        else if (c == u'\r' || c == u'\n')
            c = u' ';
    }
    return s;
}

QString formatLine(const QList<Field>& fields)
{
    QString out;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k)
            out += u',';
        if (fields[k].quoted)
            out += u'"' + sanitize(fields[k].value) + u'"';
        else
            out += sanitize(fields[k].value);
    }
    return out;
}

QString formatTextLine(const QStringList& fields)
{
    QString out;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k)
            out += u',';
        out += u'"' + sanitize(fields[k]) + u'"';
    }
    return out;
}

} // namespace QuotedCsv
