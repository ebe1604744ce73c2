#pragma once

// A message log of N records for the benchmarks: Japanese text, quotes, both
// date forms, every 17th record in the trash.

#include "common/TextScramble.h"
#include "msglog/MessageLog.h"
#include "platform/FileOps.h"
#include "platform/TextFile.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

// names[0] is the user, names[1] the writer of every record.
inline QStringList defaultNames()
{
    return {QStringLiteral("山田太郎"), QStringLiteral("佐藤花子"), QStringLiteral("鈴木一郎"), QStringLiteral("ﾀﾅｶ"),
            QStringLiteral("Taro")};
}

inline QStringList generate(int records, const QStringList& names = defaultNames())
{
    QRandomGenerator rng(20061214);
    const QStringList phrases {QStringLiteral("お疲れ様です。"), QStringLiteral("会議は15:00～16:00に変更です。"),
                               QStringLiteral("資料を\"共有\"フォルダに置きました, ご確認ください"),
                               QStringLiteral("了解しました"), QStringLiteral(">> 先ほどの件ですが"),
                               QStringLiteral("明日は直帰します。よろしくお願いします。")};
    QStringList lines;
    lines.reserve(records * 8);
    for (int k = 0; k < records; ++k) {
        const QString other = names[int(rng.bounded(names.size()))];
        QString text;
        const int n = 1 + int(rng.bounded(4));
        for (int j = 0; j < n; ++j)
            text += (j ? QStringLiteral("\n") : QString()) + phrases[int(rng.bounded(phrases.size()))];
        const QString when = QStringLiteral("2006/%1/%2 %3:%4:%5")
                                 .arg(1 + k % 12, 2, 10, QChar(u'0')).arg(1 + k % 28, 2, 10, QChar(u'0'))
                                 .arg(k % 24, 2, 10, QChar(u'0')).arg(k % 60, 2, 10, QChar(u'0'))
                                 .arg((k * 7) % 60, 2, 10, QChar(u'0'));
        QStringList rec;
        if (k % 3 == 0)
            rec = MessageLog::sentRecord({other, names[0]}, text, names[1], when);
        else if (k % 3 == 1)
            rec = MessageLog::receivedRecord(other, when, text, names[1]);
        else
            rec = MessageLog::receivedRecord(other, QStringLiteral("10:20 05/12"), text, names[1]);
        if (k % 17 == 0)
            rec.last() = MessageLog::trashSeparator();
        lines += rec;
    }
    return lines;
}


// The log written twice into dir: plain ("msglog.txt") and locked with the
// password "pw" ("locked.txt"); the two paths.
inline std::pair<QString, QString> writeLogs(const QTemporaryDir& dir, const QStringList& lines)
{
    const QString plainPath = dir.filePath(QStringLiteral("msglog.txt"));
    Fs::writeBytes(plainPath, TextFile::joinLines(lines));
    QStringList lockedLines {Text_Scramble(MessageLog::lockMarker(), 1), Text_Scramble(QStringLiteral("pw"), 1)};
    for (const QString& l : lines)
        lockedLines.append(Text_Scramble(l, 1));
    const QString lockedPath = dir.filePath(QStringLiteral("locked.txt"));
    Fs::writeBytes(lockedPath, TextFile::joinLines(lockedLines));
    return {plainPath, lockedPath};
}

// Every line of a scrambled file decoded, each followed by CR LF: the floor of
// reading a locked log.
inline QString unscrambleLines(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size() / 4 + 1024);
    for (qsizetype pos = 0; pos < bytes.size();) {
        qsizetype nl = bytes.indexOf('\n', pos);
        const qsizetype next = nl < 0 ? bytes.size() : nl + 1;
        if (nl < 0)
            nl = bytes.size();
        if (nl > pos && bytes[nl - 1] == '\r')
            --nl;
        Scramble::decodeAppend(bytes.constData() + pos, nl - pos, text);
        text.append(QLatin1StringView("\r\n"));
        pos = next;
    }
    return text;
}

// The benchmark's arguments: records (default 100,000) and runs (default 5).
inline std::pair<int, int> benchArguments(int argc, char** argv)
{
    return {argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000,
            argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5};
}
