#include "MessageFileTest.h"
#include "LegacyFile.h"

#include "messaging/MessageFile.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

MessageFile sample(const QString& text)
{
    MessageFile m;
    m.addressees = QStringLiteral("山田,Hanako,");
    m.sender = QStringLiteral("鈴木 一郎");
    m.sentAt = QStringLiteral("2006/06/14 09:05:00");
    m.sealed = QStringLiteral("1");
    m.receipt = QStringLiteral("1");
    m.mailId = QStringLiteral("7");
    m.setText(text);
    return m;
}

QStringList fileLines(const QByteArray& bytes)
{
    QString s = QString::fromLatin1(bytes);
    if (s.endsWith(QStringLiteral("\r\n")))
        s.chop(2);
    return s.split(QStringLiteral("\r\n"));
}

} // namespace

void MessageFileTest::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("textLines");
    QTest::newRow("empty text") << "" << 0;
    QTest::newRow("one line") << "こんにちは" << 1;
    QTest::newRow("two lines") << "a\r\nb" << 2;
    QTest::newRow("ends with CR LF") << "会議は3時から\r\n" << 2;
    QTest::newRow("only CR LF") << "\r\n" << 2;
    QTest::newRow("commas, quotes, blanks") << "\"引用\", a , b\r\n\r\n　全角空白" << 3;
    QTest::newRow("lone LF and CR stay inside a line") << "a\nb\rc" << 1;
}

void MessageFileTest::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(int, textLines);
    const MessageFile m = sample(text);
    QCOMPARE(m.textLines.size(), textLines);

    const QByteArray bytes = MessageFormat::encode(m, Scramble::seededKeys(1));
    const QStringList lines = fileLines(bytes);
    QCOMPARE(lines.size(), 6 + textLines);
    for (char c : bytes)
        QVERIFY2((c > ' ' && c < 0x7F && c != ',' && c != '"') || c == '\r' || c == '\n',
            bytes.constData());

    QTemporaryDir dir;
    const QString path = Paths::join(dir.path(), QStringLiteral("Taro.1"));
    QCOMPARE(Fs::writeBytes(path, bytes), 0);
    const MessageReadResult r = MessageFormat::read(path);
    QVERIFY(r.intact());
    QVERIFY(!r.legacy);
    QCOMPARE(r.message.addressees, m.addressees);
    QCOMPARE(r.message.sender, m.sender);
    QCOMPARE(r.message.sentAt, m.sentAt);
    QCOMPARE(r.message.sealed, m.sealed);
    QCOMPARE(r.message.receipt, m.receipt);
    QCOMPARE(r.message.mailId, m.mailId);
    QCOMPARE(r.message.textLines, m.textLines);
    QCOMPARE(r.message.text(), text);
}

void MessageFileTest::plainLinesOfAMessage()
{
    // A message to A and B asking for a receipt with mail ID 7.
    MessageFile m;
    m.addressees = MessageFile::addresseeLine({ QStringLiteral("A"), QStringLiteral("B") });
    m.sender = QStringLiteral("Taro");
    m.sentAt = QStringLiteral("2006/06/14 09:05:00");
    m.receipt = QStringLiteral("1");
    m.mailId = QStringLiteral("7");
    m.setText(QStringLiteral("line1\r\nline2"));
    QStringList plain;
    for (const QString& line : fileLines(MessageFormat::encode(m)))
        plain.append(Text_Scramble(line, 2));
    QCOMPARE(plain,
        (QStringList { "A,B,", "Taro", "2006/06/14 09:05:00", "0", "1", "7", "line1", "line2" }));
    QCOMPARE(m.receiptKind(), MessageFile::Receipt::Requested);
    QCOMPARE(m.mailIdNumber(), 7);
    QVERIFY(!m.isSealed());
}

void MessageFileTest::legacyFile()
{
    QTemporaryDir dir;
    const QString path = Paths::join(dir.path(), QStringLiteral("Taro.1"));
    const QStringList plain { "Taro,", "花子", "2001/02/03 04:05:06", "1", "2", "12", "本文です",
        "", "二行目, \"引用\"" };
    QCOMPARE(Fs::writeBytes(path, legacyBytes(123, plain)), 0);
    const MessageReadResult r = MessageFormat::read(path);
    QVERIFY(r.intact());
    QVERIFY(r.legacy);
    QCOMPARE(r.message.addressees, plain[0]);
    QCOMPARE(r.message.sender, plain[1]);
    QCOMPARE(r.message.sentAt, plain[2]);
    QVERIFY(r.message.isSealed());
    QCOMPARE(r.message.receiptKind(), MessageFile::Receipt::IsReceipt);
    QCOMPARE(r.message.mailIdNumber(), 12);
    QCOMPARE(r.message.textLines, plain.mid(6));

    // A damaged digit line is reported, the others still read.
    QByteArray damaged = legacyBytes(123, plain);
    QList<QByteArray> lines = damaged.split('\n');
    lines[7][4] = 'x'; // the first text line
    QCOMPARE(Fs::writeBytes(path, lines.join('\n')), 0);
    const MessageReadResult bad = MessageFormat::read(path);
    QVERIFY(bad.legacy);
    QVERIFY(!bad.intact());
    QCOMPARE(bad.unreadableLines, QList<int> { 8 });
    QCOMPARE(bad.message.textLines, (QStringList { QString(), plain[7], plain[8] }));
    QCOMPARE(bad.message.sender, plain[1]);
}

void MessageFileTest::legacyFirstLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("legacy");
    QTest::newRow("number") << "12" << true;
    QTest::newRow("zero") << "0" << true;
    QTest::newRow("with blanks") << " 7 " << true;
    QTest::newRow("signed") << "-3" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("digits then letter") << "12a" << false;
    QTest::newRow("full-width digits") << "１２" << false;
    QTest::newRow("scrambled line") << Scramble::encode(u"", 0) << false;
    QTest::newRow("decimal point") << "1.5" << false;
}

void MessageFileTest::legacyFirstLine()
{
    QFETCH(QString, line);
    QFETCH(bool, legacy);
    QCOMPARE(MessageFormat::isLegacyFirstLine(line), legacy);
}

void MessageFileTest::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("headerMissing");
    QTest::addColumn<QList<int>>("unreadable");
    QTest::addColumn<QString>("sender");

    const QByteArray good
        = MessageFormat::encode(sample(QStringLiteral("本文\r\n二行目")), Scramble::seededKeys(5));
    QList<QByteArray> lines = good.split('\n');
    lines.removeLast(); // after the final LF
    auto join = [](const QList<QByteArray>& ls) {
        QByteArray out;
        for (const QByteArray& l : ls)
            out += l + '\n';
        return out;
    };

    QList<QByteArray> badPair = lines;
    badPair[2].replace(2, 2, "!!"); // a code outside the table in the time line
    QTest::newRow("unknown code in a header line")
        << join(badPair) << false << QList<int> { 3 } << "鈴木 一郎";

    QList<QByteArray> badText = lines;
    badText[7] = "ZZZZZZ\r";
    QTest::newRow("unknown code in a text line")
        << join(badText) << false << QList<int> { 8 } << "鈴木 一郎";

    QTest::newRow("cut inside the header")
        << join(lines.mid(0, 3)) << true << QList<int> {} << "鈴木 一郎";
    QByteArray cut = join(lines);
    cut.chop(5); // the last line loses its end and its line break
    QTest::newRow("last line cut short") << cut << false << QList<int> { 8 } << "鈴木 一郎";
    QTest::newRow("empty file") << QByteArray() << true << QList<int> {} << "";
    QTest::newRow("not a message")
        << QByteArray("hello, world\r\n") << true << QList<int> { 1 } << "";
}

void MessageFileTest::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, headerMissing);
    QFETCH(QList<int>, unreadable);
    QFETCH(QString, sender);
    QTemporaryDir dir;
    const QString path = Paths::join(dir.path(), QStringLiteral("Taro.1"));
    QCOMPARE(Fs::writeBytes(path, bytes), 0);
    const MessageReadResult r = MessageFormat::read(path);
    QVERIFY(r.opened());
    QVERIFY(!r.intact());
    QCOMPARE(r.headerMissing, headerMissing);
    QCOMPARE(r.unreadableLines, unreadable);
    QCOMPARE(r.message.sender, sender);
    // An unreadable line is never handed out as text.
    for (int line : r.unreadableLines) {
        if (line == 3)
            QCOMPARE(r.message.sentAt, QString());
        if (line > 6)
            QCOMPARE(r.message.textLines.value(line - 7), QString());
    }
}

// The text goes on to the end of the file: a last line without its line break
// is whole, and an empty line (as an editor or another program may leave) is an
// empty text line, neither of them damage.
void MessageFileTest::lastLineWithoutLineBreakAndEmptyLines()
{
    QByteArray bytes = MessageFormat::encode(sample(QStringLiteral("本文\r\n二行目")), Scramble::seededKeys(5));
    QVERIFY(bytes.endsWith("\r\n"));
    bytes.chop(2);
    QList<QByteArray> lines = bytes.split('\n');
    lines.insert(7, "\r"); // an empty line before the second text line
    QTemporaryDir dir;
    const QString path = Paths::join(dir.path(), QStringLiteral("Taro.1"));
    QCOMPARE(Fs::writeBytes(path, lines.join('\n')), 0);
    const MessageReadResult r = MessageFormat::read(path);
    QVERIFY(r.intact());
    QCOMPARE(r.message.textLines, (QStringList {QStringLiteral("本文"), QString(), QStringLiteral("二行目")}));
}

void MessageFileTest::missingFile()
{
    QTemporaryDir dir;
    const MessageReadResult r
        = MessageFormat::read(Paths::join(dir.path(), QStringLiteral("none.1")));
    QVERIFY(!r.opened());
    QCOMPARE(r.error, ENOENT);
    QVERIFY(!r.intact());
}

void MessageFileTest::addresseeNames_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("two") << "A,B," << QStringList { "A", "B" };
    QTest::newRow("text after the last comma is no name") << "A,B" << QStringList { "A" };
    QTest::newRow("empty") << "" << QStringList {};
    QTest::newRow("one") << "山田," << QStringList { "山田" };
}

void MessageFileTest::addresseeNames()
{
    QFETCH(QString, line);
    QFETCH(QStringList, names);
    MessageFile m;
    m.addressees = line;
    QCOMPARE(m.addresseeNames(), names);
}
