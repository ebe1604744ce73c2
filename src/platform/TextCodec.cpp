#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <utility>
#include <memory>

namespace {

bool isLeadByte(quint8 b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(quint8 b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Single bytes code page 932 defines only on Windows: 0x80 as U+0080, 0xA0 and
// 0xFD to 0xFF as private-use characters.
constexpr std::pair<std::size_t, char16_t> kWindowsSingles[] = {
    {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'},
};

struct Tables {
    std::array<char16_t, 256> single {};              // 0 = not a character on its own
    std::array<char16_t, 0x7D * 0xBD> dbl {};         // (lead - 0x80) * 0xBD + (trail - 0x40)
    std::array<quint16, 0x10000> enc {};              // UTF-16 unit -> code, 0 = none

    static std::size_t dblIndex(quint8 lead, quint8 trail)
    {
        return std::size_t(lead - 0x80) * 0xBD + std::size_t(trail - 0x40);
    }

    Tables()
    {
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
        QByteArray all;
        std::vector<quint16> codes;
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
    }

    char16_t decodeOne(quint16 code) const
    {
        if (code < 0x100)
            return single[code];
        const quint8 lead = quint8(code >> 8), trail = quint8(code & 0xFF);
        if (!isLeadByte(lead) || !isTrailByte(trail))
            return 0;
        return dbl[dblIndex(lead, trail)];
    }
};

const Tables& tables()
{
    static const std::unique_ptr<Tables> t = std::make_unique<Tables>();
    return *t;
}

} // namespace

namespace Sjis {

quint16 codeOf(char16_t ch)
{
    return tables().enc[ch];
}

QByteArray encode(QStringView text)
{
    const Tables& t = tables();
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.append('?'); // one character outside the code page, one "?"
            ++i;
            continue;
        }
        const quint16 code = t.enc[ch];
        if (code == 0 && ch != 0)
            out.append('?');
        else if (code < 0x100)
            out.append(char(code));
        else {
            out.append(char(code >> 8));
            out.append(char(code & 0xFF));
        }
    }
    return out;
}

qsizetype encodedLength(QStringView text)
{
    const Tables& t = tables();
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++n;
            ++i;
            continue;
        }
        n += t.enc[ch] >= 0x100 ? 2 : 1;
    }
    return n;
}

bool isEncodable(QStringView text)
{
    const Tables& t = tables();
    for (QChar c : text)
        if (t.enc[c.unicode()] == 0 && c.unicode() != 0)
            return false;
    return true;
}

QString decode(const char* data, qsizetype size)
{
    const Tables& t = tables();
    QString out(size, Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    qsizetype n = 0;
    const auto* p = reinterpret_cast<const quint8*>(data);
    const auto* end = p + size;
    while (p < end) {
        const quint8 b = *p;
        if (b < 0x80) {
            dst[n++] = b;
            ++p;
        } else if (isLeadByte(b) && p + 1 < end && isTrailByte(p[1])) {
            const char16_t ch = t.dbl[Tables::dblIndex(b, p[1])];
            dst[n++] = ch ? ch : u'\uFFFD';
            p += 2;
        } else {
            const char16_t ch = t.single[b];
            dst[n++] = ch ? ch : u'\uFFFD';
            ++p;
        }
    }
    out.truncate(n);
    return out;
}

QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

} // namespace Sjis
