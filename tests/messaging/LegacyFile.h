#pragma once

#include "common/TextScramble.h"

#include <QByteArray>
#include <QStringList>

// A legacy message file: line 1 the number, then every field and text line in digits.
inline QByteArray legacyBytes(int number, const QStringList& plainLines)
{
    const int key = number + Scramble::LegacyKeyOffset;
    QByteArray out = QByteArray::number(number) + "\r\n";
    for (const QString& line : plainLines) {
        for (QChar c : line)
            for (int b : {c.unicode() & 0xFF, c.unicode() >> 8})
                out += QStringLiteral("%1").arg((b + key) % 256, 3, 10, QChar(u'0')).toLatin1();
        out += "\r\n";
    }
    return out;
}
