#include "tst_BoardFile.h"

#include "BoardFixture.h"
#include "board/BoardFile.h"
#include "board/BoardState.h"
#include "platform/TextCodec.h"

#include <QTest>

using namespace BoardFixture;

void TestBoardFile::roundTrip_data()
{
    QTest::addColumn<BoardRow>("row");
    QTest::newRow("plain") << person(QStringLiteral("tanaka"), QStringLiteral("会議室"));
    QTest::newRow("comma inside a field") << person(QStringLiteral("佐藤"), QStringLiteral("大阪,京都"));
    QTest::newRow("jis forms of a linux input method")
        << person(QStringLiteral("山田"), QStringLiteral("9時〜12時 ‖ −5 ¢£¬"));
    QTest::newRow("empty fields") << BoardRow {QStringLiteral("鈴木"), {}, QStringLiteral("0"), {}, {}, {}, {}};
    QTest::newRow("separator") << separator();
}

void TestBoardFile::roundTrip()
{
    QFETCH(BoardRow, row);
    const QByteArray bytes = BoardFile::format({row, person(QStringLiteral("next"))});
    QVERIFY(bytes.endsWith("\r\n"));
    const BoardFile::Parsed p = BoardFile::parse(bytes);
    QVERIFY(!p.cutShort);
    QCOMPARE(p.rows.size(), 2);
    // As Shift-JIS stores it: a JIS form comes back as its code-page-932 character.
    QStringList stored;
    for (const QString& f : row.fields())
        stored.append(Sjis::decode(Sjis::encode(f)));
    QCOMPARE(p.rows[0], BoardRow::fromFields(stored));
    QVERIFY(!p.rows[0].fields().join(QString()).contains(u'?'));
    // Written again, the bytes are the same: a rewrite changes nothing else.
    QCOMPARE(BoardFile::format(p.rows), bytes);
}

void TestBoardFile::lineFormat()
{
    // 〜 typed by a Linux input method is stored as its code-page-932 form 81 60.
    QVERIFY(BoardFile::format({person(QStringLiteral("〜"))}).startsWith(QByteArray("\"\x81\x60\"")));
    // The quoted-write form, Shift-JIS with CR LF: what older copies read.
    const BoardRow r {QStringLiteral("田中"), QStringLiteral("外出,A社"), QStringLiteral("1"), QStringLiteral("06/14 09:05"),
                      QStringLiteral("15:00"), QStringLiteral("201"), QStringLiteral("t@x.jp")};
    QCOMPARE(BoardFile::format({r}),
             Sjis::encode(QStringLiteral("\"田中\",\"外出,A社\",\"1\",\"06/14 09:05\",\"15:00\",\"201\",\"t@x.jp\"\r\n")));
}

void TestBoardFile::cutShort_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("cutShort");
    QTest::addColumn<int>("rows");
    const QByteArray full = "\"a\",\"b\",\"1\",\"t\",\"r\",\"e\",\"m\"\r\n";
    QTest::newRow("complete") << full + full << false << 2;
    QTest::newRow("last line ends inside quotes") << full + "\"a\",\"b\",\"1\",\"t\",\"r\",\"e\",\"m" << true << 0;
    QTest::newRow("last line has four fields") << full + "\"a\",\"b\",\"1\",\"t\"" << true << 0;
    QTest::newRow("first line short, rest fine") << "\"a\",\"b\"\r\n" + full << true << 0;
    QTest::newRow("complete last line without line end") << full + full.chopped(2) << false << 2;
    QTest::newRow("blank lines are no rows") << full + "\r\n  \r\n" + full + "\r\n" << false << 2;
    QTest::newRow("lone LF line ends") << QByteArray(full).replace("\r\n", "\n") + full << false << 2;
    QTest::newRow("empty") << QByteArray() << false << 0;
}

void TestBoardFile::cutShort()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, cutShort);
    QFETCH(int, rows);
    const BoardFile::Parsed p = BoardFile::parse(bytes);
    QCOMPARE(p.cutShort, cutShort);
    QCOMPARE(p.rows.size(), rows);
}

void TestBoardFile::fiftyRowsAndBeyond_data()
{
    QTest::addColumn<int>("lines");
    QTest::newRow("49") << 49;
    QTest::newRow("50") << 50;
    QTest::newRow("51") << 51;
    QTest::newRow("60") << 60;
}

void TestBoardFile::fiftyRowsAndBeyond()
{
    QFETCH(int, lines);
    QList<BoardRow> all;
    for (int k = 1; k <= lines; ++k)
        all.append(person(QStringLiteral("人%1").arg(k), QString::number(k)));
    const QByteArray bytes = BoardFile::format(all);
    const BoardFile::Parsed p = BoardFile::parse(bytes);
    const int kept = std::min(lines, int(BoardState::MaxRows));
    QCOMPARE(p.rows.size(), kept);
    QCOMPARE(p.rows.last(), all[kept - 1]);
    QCOMPARE(BoardFile::countRows(bytes), kept);
    // Lines past the 50th are no rows, but a rewrite keeps them as they were.
    QCOMPARE(p.beyondRows.isEmpty(), lines <= BoardState::MaxRows);
    QCOMPARE(BoardFile::format(p.rows, p.beyondRows), bytes);
}

// A row holding a pair Shift-JIS cannot decode and a row holding "?" in its
// place are written alike; a rewrite that changes neither gives each its own
// line back, in every order.
void TestBoardFile::lookAlikeRowsKeepTheirOwnLines()
{
    const QByteArray undecodable = "\"a\",\"09:\xec""00\",\"1\",\"\",\"\",\"\",\"\"\r\n";
    const QByteArray question = "\"a\",\"09:?00\",\"1\",\"\",\"\",\"\",\"\"\r\n";
    for (const QByteArray& bytes : QList<QByteArray> {undecodable + question, question + undecodable}) {
        const BoardFile::Parsed p = BoardFile::parse(bytes);
        QCOMPARE(p.rows.size(), 2);
        QVERIFY(p.rows[0] != p.rows[1]);
        QCOMPARE(BoardFile::format(p.rows, {}, p), bytes);
        // Moved by an edit, each row still brings its own line along.
        const QList<BoardRow> swapped {p.rows[1], p.rows[0]};
        QCOMPARE(BoardFile::format(swapped, {}, p), bytes.mid(bytes.indexOf('\n') + 1) + bytes.left(bytes.indexOf('\n') + 1));
    }
}
