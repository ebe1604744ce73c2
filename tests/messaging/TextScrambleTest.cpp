#include "TextScrambleTest.h"

#include "common/TextScramble.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <limits>

namespace {

QString code(int value)
{
    return Scramble::codeOf(value).toString();
}

// The legacy digit form of text with key, as older copies wrote it.
QString legacyForm(const QString& text, int key)
{
    QString out;
    for (QChar c : text)
        for (int b : { c.unicode() & 0xFF, c.unicode() >> 8 })
            out += QStringLiteral("%1").arg((b + key) % 256, 3, 10, QChar(u'0'));
    return out;
}

bool isPlainPrintable(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || c == u',' || c == u'"')
            return false;
    return true;
}

} // namespace

void TextScrambleTest::codeTable()
{
    QSet<QString> codes;
    for (int i = 0; i < 256; ++i) {
        const QString c = code(i);
        QCOMPARE(c.size(), 2);
        QVERIFY2(isPlainPrintable(c), qPrintable(c));
        QVERIFY2(
            c[0].isLetter(), "a code starting with a letter keeps scrambled lines non-numeric");
        QCOMPARE(Scramble::indexOf(c[0], c[1]), i);
        codes.insert(c);
    }
    QCOMPARE(codes.size(), 256);
    const QString fallback = code(256);
    QVERIFY(!codes.contains(fallback));
    QCOMPARE(fallback, code(-1));
    QVERIFY(isPlainPrintable(fallback));
}

void TextScrambleTest::codeLookup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << "0" << 2 << code(0);
    QTest::newRow("255") << "255" << 2 << code(255);
    QTest::newRow("fraction rounds down") << "65.9" << 2 << code(65);
    QTest::newRow("256 gives fallback") << "256" << 2 << code(-1);
    QTest::newRow("negative gives fallback") << "-1" << 2 << code(-1);
    QTest::newRow("just below zero gives fallback") << "-0.5" << 2 << code(-1);
    QTest::newRow("999 gives fallback") << "999" << 2 << code(-1);
    QTest::newRow("not a number gives fallback") << "abc" << 2 << code(-1);
    QTest::newRow("code to index") << code(200) << 1 << "200";
    QTest::newRow("code of 0") << code(0) << 1 << "0";
    QTest::newRow("fallback is no entry") << code(-1) << 1 << "999";
    QTest::newRow("first code") << "BK" << 1 << "0";
    QTest::newRow("case matters") << "bK" << 1 << "999";
    QTest::newRow("three characters") << code(7) + u'x' << 1 << "999";
    QTest::newRow("empty") << "" << 1 << "999";
    QTest::newRow("other mode") << "5" << 3 << "";
    QTest::newRow("mode 0") << code(5) << 0 << "";
}

void TextScrambleTest::codeLookup()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    QCOMPARE(Code_Lookup(text, mode), expected);
}

void TextScrambleTest::encodeWithKnownKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("A, key 0") << "A" << 0 << code(0) + code(0x41) + code(0);
    QTest::newRow("A, key 9") << "A" << 9 << code(9) + code(0x41 + 9) + code(9);
    QTest::newRow("empty") << "" << 77 << code(77);
    // 宛 is U+5B9B: low byte 0x9B first, then 0x5B, each shifted.
    QTest::newRow("宛, key 3") << "宛" << 3 << code(3) + code(0x9B + 3) + code(0x5B + 3);
    QTest::newRow("宛, key 200 wraps")
        << "宛" << 200 << code(200) + code(0x9B + 200 - 256) + code(0x5B + 200 - 256);
    QTest::newRow("CR LF") << "\r\n"
                           << 255
                           << code(255) + code(0x0D - 1) + code(255) + code(0x0A - 1) + code(255);
}

void TextScrambleTest::encodeWithKnownKey()
{
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(QString, expected);
    const QString encoded = Scramble::encode(text, key);
    QCOMPARE(encoded, expected);
    QCOMPARE(encoded.size(), 2 + 4 * text.size());
    QCOMPARE(Text_Scramble(encoded, 2), text);
    // The same through the routine with an injected key source.
    QCOMPARE(Text_Scramble(text, 1, [key] { return key; }), expected);
}

void TextScrambleTest::freshKeyPerCall()
{
    const QString text = QStringLiteral("同じ文");
    QSet<QString> forms;
    for (int i = 0; i < 20; ++i) {
        const QString s = Text_Scramble(text, 1);
        QCOMPARE(Text_Scramble(s, 2), text);
        forms.insert(s);
    }
    // Twenty equal keys in a row would mean the key is not drawn per call.
    QVERIFY(forms.size() > 1);
}

void TextScrambleTest::otherDirections()
{
    for (int direction : { 0, 3, -1, 12 }) {
        QCOMPARE(Text_Scramble(QStringLiteral("abc"), direction), QString());
        QCOMPARE(Text_Scramble(Scramble::encode(u"abc", 5), direction), QString());
    }
}

void TextScrambleTest::randomTextsRoundTrip()
{
    // Japanese of every kind, line breaks, the characters that field-wise
    // reading splits at, and characters outside the Basic Multilingual Plane.
    const QString alphabet
        = QStringLiteral("あいうえおアイウエオｱｲｳｴｵ漢字宛先表示能ソ〜‖−￠￡￢―。、「」"
                         "ABCxyz0189 ,\"'\r\n\t\\/:;!?　")
        + QString::fromUcs4(U"😀𠮷", 2);
    QRandomGenerator gen(4242);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(gen.bounded(60));
        for (int i = 0; i < length; ++i)
            text += alphabet[gen.bounded(int(alphabet.size()))];
        // Also whole code units anywhere in 0 to 0xFFFF, surrogate halves included.
        if (round % 5 == 0)
            text += QChar(char16_t(gen.bounded(0x10000)));
        const QString encoded = Text_Scramble(text, 1, Scramble::seededKeys(quint32(round)));
        QVERIFY2(isPlainPrintable(encoded), qPrintable(encoded));
        QCOMPARE(encoded.size(), 2 + 4 * text.size());
        QVERIFY(!encoded[0].isDigit());
        const std::optional<QString> back = Scramble::decode(encoded);
        QVERIFY(back.has_value());
        QCOMPARE(*back, text);
    }
}

void TextScrambleTest::unreadable_data()
{
    QTest::addColumn<QString>("line");
    const QString good = Scramble::encode(u"読める", 40);
    QTest::newRow("fallback code in the middle") << good.left(6) + code(-1) + good.mid(8);
    QTest::newRow("unknown key pair") << QStringLiteral("!!") + good.mid(2);
    QTest::newRow("lone character at the end") << good + u'B';
    QTest::newRow("half a character, one byte") << good + code(9);
    QTest::newRow("empty") << "";
    QTest::newRow("key only, one character") << good.left(1);
    QTest::newRow("non-ASCII in a pair") << good.left(2) + QStringLiteral("あB") + good.mid(4);
    QTest::newRow("blank in a pair") << good.left(2) + QStringLiteral(" B") + good.mid(4);
}

void TextScrambleTest::unreadable()
{
    QFETCH(QString, line);
    QVERIFY(!Scramble::decode(line).has_value());
    QCOMPARE(Text_Scramble(line, 2), QString());
}

void TextScrambleTest::legacyDecode_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("expected");
    QTest::newRow("A") << legacyForm(QStringLiteral("A"), 50) << 50 << true << "A";
    QTest::newRow("Japanese, key wraps")
        << legacyForm(QStringLiteral("宛先、\"テスト\""), 250) << 250 << true << "宛先、\"テスト\"";
    QTest::newRow("empty") << "" << 12 << true << "";
    QTest::newRow("unshifted group") << "065000" << 0 << true << "A";
    QTest::newRow("not digits") << "06a000" << 0 << false << "";
    QTest::newRow("group cut short") << "06500" << 0 << false << "";
    QTest::newRow("odd byte count") << "065" << 0 << false << "";
    QTest::newRow("value beyond a byte") << "999000" << 0 << false << "";
}

void TextScrambleTest::legacyDecode()
{
    QFETCH(QString, digits);
    QFETCH(int, key);
    QFETCH(bool, readable);
    QFETCH(QString, expected);
    const std::optional<QString> plain = Scramble::legacyDecode(digits, key);
    QCOMPARE(plain.has_value(), readable);
    QCOMPARE(Legacy_Decode(digits, key), expected);
}

// Line 1 of a legacy file may name any number: no group gives a byte with a
// key far outside 0 to 999, and the farthest keys must not overflow.
void TextScrambleTest::legacyDecodeFarKeys()
{
    for (qint64 key : {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::min() + 42, qint64(-100000),
                       qint64(100000), std::numeric_limits<qint64>::max()})
        QVERIFY(!Scramble::legacyDecode(u"065000", key).has_value());
    QCOMPARE(Scramble::legacyDecode(u"", std::numeric_limits<qint64>::min()), QString());
}
