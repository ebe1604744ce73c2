#include "platform/SjisTables.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>

#include <utility>

namespace {

// Single bytes code page 932 defines only on Windows: 0x80 as U+0080, 0xA0 and
// 0xFD to 0xFF as private-use characters.
constexpr std::pair<std::size_t, char16_t> kWindowsSingles[] = {
    {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'},
};

// Written by porlune-sjistables (tools/sjistables/) from fromConverter(): kDecodePairs, each
// code page byte or byte pair with its character, and kEncodePairs, each
// character whose code is not the first one that decodes to it.
#include "platform/SjisTableData.inc"

} // namespace

SjisTables SjisTables::fromConverter()
{
    SjisTables t;
    auto& single = t.single;
    auto& dbl = t.dbl;
    auto& enc = t.enc;
    auto decodeOne = [&t](quint16 code) { return t.decodeOne(code); };

    // Decoding table from the platform's windows-31j converter, asked once per
    // byte sequence; everything after that is lookups.
    QStringDecoder dec("windows-31j", QStringDecoder::Flag::Stateless);
    for (int b = 0; b < 0x100; ++b) {
        if (isLeadByte(quint8(b)))
            continue;
        const char c = char(b);
        const QString s = dec.decode(QByteArrayView(&c, 1));
        // The converter answers the bytes it leaves unassigned with SUB
        // (U+001A), which would read as a control character and be
        // written back as 0x1A.
        if (s.size() == 1 && s[0] != QChar::ReplacementCharacter && (s[0] != u'\x1A' || b == 0x1A))
            single[std::size_t(b)] = s[0].unicode();
    }
    // Windows gives those bytes characters of their own and back, so a
    // file holding one keeps it when rewritten.
    for (auto [b, ch] : kWindowsSingles)
        if (!single[b])
            single[b] = ch;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(quint8(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!isTrailByte(quint8(trail)))
                continue;
            const char pair[2] = {char(lead), char(trail)};
            const QString s = dec.decode(QByteArrayView(pair, 2));
            if (s.size() == 1 && s[0] != QChar::ReplacementCharacter && s[0].unicode() >= 0x80)
                dbl[dblIndex(quint8(lead), quint8(trail))] = s[0].unicode();
        }
    }

    // Encoding table. Where several byte pairs decode to one character (the
    // NEC and IBM duplicates), the converter's own encoder picks the pair.
    QStringEncoder encoder("windows-31j", QStringEncoder::Flag::Stateless);
    auto claim = [&](char16_t ch) {
        if (enc[ch] != 0)
            return;
        const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
        quint16 code = 0;
        if (bytes.size() == 1)
            code = quint8(bytes[0]);
        else if (bytes.size() == 2)
            code = quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
        // The converter's substitute (0xFCFC) is no character: keep only codes
        // that decode back to ch.
        if (code != 0 && decodeOne(code) == ch)
            enc[ch] = code;
    };
    for (int b = 0; b < 0x100; ++b)
        if (single[std::size_t(b)])
            claim(single[std::size_t(b)]);
    for (char16_t ch : dbl)
        if (ch)
            claim(ch);
    for (auto [b, ch] : kWindowsSingles)
        if (!enc[ch] && single[b] == ch)
            enc[ch] = quint16(b);
    // Control characters and NUL map to themselves.
    for (int b = 0; b < 0x20; ++b)
        enc[std::size_t(b)] = quint16(b);
    enc[0x7F] = 0x7F;

    // JIS forms typed on Linux, stored as their code-page-932 forms.
    const std::pair<char16_t, char16_t> jisForms[] = {
        {u'\u301C', u'\uFF5E'}, // wave dash -> fullwidth tilde
        {u'\u2016', u'\u2225'}, // double vertical line -> parallel to
        {u'\u2212', u'\uFF0D'}, // minus sign -> fullwidth hyphen-minus
        {u'\u00A2', u'\uFFE0'}, // cent sign
        {u'\u00A3', u'\uFFE1'}, // pound sign
        {u'\u00AC', u'\uFFE2'}, // not sign
        {u'\u2014', u'\u2015'}, // em dash -> horizontal bar
    };
    for (auto [jis, cp] : jisForms)
        if (enc[cp])
            enc[jis] = enc[cp];
    return t;
}

SjisTables SjisTables::fromData()
{
    SjisTables t;
    for (const auto& [code, ch] : kDecodePairs) {
        if (code < 0x100)
            t.single[code] = ch;
        else
            t.dbl[dblIndex(quint8(code >> 8), quint8(code & 0xFF))] = ch;
    }
    // A character's code is the first code that decodes to it, in the order
    // the code page gives them (bytes, then pairs), unless listed otherwise.
    for (int b = 0; b < 0x100; ++b)
        if (const char16_t ch = t.single[std::size_t(b)]; ch && !t.enc[ch])
            t.enc[ch] = quint16(b);
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (isLeadByte(quint8(lead)) && isTrailByte(quint8(trail)))
                if (const char16_t ch = t.dbl[dblIndex(quint8(lead), quint8(trail))]; ch && !t.enc[ch])
                    t.enc[ch] = quint16(lead << 8 | trail);
    for (const auto& [ch, code] : kEncodePairs)
        t.enc[ch] = code;
    return t;
}

QByteArray SjisTables::dataSource() const
{
    QByteArray decode, encode;
    int n = 0;
    auto add = [&n](QByteArray& out, unsigned a, unsigned b) {
        out += "{" + QByteArray::number(a) + "," + QByteArray::number(b) + "},";
        out += ++n % 12 == 0 ? "\n" : " ";
    };
    std::array<quint16, 0x10000> first {};
    for (int b = 0; b < 0x100; ++b)
        if (const char16_t ch = single[std::size_t(b)]) {
            add(decode, unsigned(b), ch);
            if (!first[ch])
                first[ch] = quint16(b);
        }
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (isLeadByte(quint8(lead)) && isTrailByte(quint8(trail)))
                if (const char16_t ch = dbl[dblIndex(quint8(lead), quint8(trail))]) {
                    add(decode, unsigned(lead << 8 | trail), ch);
                    if (!first[ch])
                        first[ch] = quint16(lead << 8 | trail);
                }
    n = 0;
    for (int ch = 0; ch < 0x10000; ++ch)
        if (enc[std::size_t(ch)] != first[std::size_t(ch)])
            add(encode, unsigned(ch), enc[std::size_t(ch)]);
    return "// Code page 932 as the platform's windows-31j converter gives it, written by\n"
           "// porlune-sjistables (tools/sjistables/); not edited by hand.\n"
           "constexpr std::pair<quint16, char16_t> kDecodePairs[] = {\n" + decode.trimmed() + "\n};\n"
           "constexpr std::pair<char16_t, quint16> kEncodePairs[] = {\n" + encode.trimmed() + "\n};\n";
}
