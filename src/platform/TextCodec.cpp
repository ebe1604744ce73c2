#include "platform/TextCodec.h"

#include "platform/SjisTables.h"

namespace {

bool isLeadByte(quint8 b)
{
    return SjisTables::isLeadByte(b);
}

bool isTrailByte(quint8 b)
{
    return SjisTables::isTrailByte(b);
}

using Tables = SjisTables;

// Filled from the data compiled in: asking the platform's converter for every
// code at each start took a few milliseconds of it.
const Tables& tables()
{
    static const Tables t = Tables::fromData();
    return t;
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
