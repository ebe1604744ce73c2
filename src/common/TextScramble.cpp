#include "common/TextScramble.h"

#include <QRandomGenerator>
#include <array>
#include <cmath>
#include <memory>

namespace Scramble {

namespace {

// The code table. Every code starts with a letter, so no scrambled line reads as
// a number (which would make a current message file look like a legacy one),
// and holds only letters and digits. Changing any entry makes every stored
// scrambled file unreadable.
// clang-format off
constexpr std::array<char[3], 256> kCodes {{
    "BK", "QZ", "SM", "TQ", "Ha", "vm", "qY", "w1", "nt", "TE", "kq", "IP", "S6", "P7", "pb", "B9",
    "CA", "Tk", "hc", "ms", "EM", "oH", "EF", "UY", "Fe", "F0", "eK", "YL", "Z9", "lZ", "WV", "Rb",
    "L7", "oD", "lN", "x8", "rz", "Fh", "Pu", "fm", "OZ", "Dp", "kh", "lz", "tc", "zS", "ZV", "BB",
    "fB", "qe", "jd", "sb", "hB", "aR", "gZ", "h0", "DN", "Wc", "ps", "yg", "Lr", "Ob", "i0", "lg",
    "T0", "Ib", "AR", "Hd", "OA", "T2", "Qz", "PJ", "em", "vw", "jh", "cW", "fK", "n0", "bq", "sY",
    "c2", "X1", "vL", "U4", "yY", "XY", "rs", "eR", "Sz", "Xo", "jb", "aE", "yO", "ke", "eQ", "MN",
    "om", "iF", "dB", "n1", "Ku", "ze", "uo", "Sb", "NS", "Ii", "sI", "um", "k7", "wc", "ae", "yR",
    "nu", "uL", "kU", "BI", "Kk", "mu", "w7", "df", "fb", "kf", "ne", "nQ", "rM", "hn", "J5", "NK",
    "D5", "fu", "il", "US", "Ja", "pn", "aM", "MX", "g9", "Bu", "k9", "yP", "Gu", "Tf", "HR", "wO",
    "ZQ", "Dt", "Yy", "pG", "HY", "VC", "TC", "aS", "bG", "gy", "KO", "EQ", "GH", "zj", "oc", "Ls",
    "aX", "eI", "IQ", "rQ", "hz", "KG", "Ll", "jP", "jp", "o0", "Q2", "Gh", "Wm", "LI", "Qd", "VE",
    "ui", "YR", "P0", "sj", "n5", "nG", "m9", "LJ", "L9", "LR", "Oi", "a5", "h3", "gU", "Pb", "B3",
    "rI", "Cn", "t4", "fl", "ue", "lR", "qD", "fT", "BC", "F3", "iO", "TW", "jt", "vu", "H7", "qZ",
    "RV", "Vj", "Ce", "LQ", "iP", "y1", "ng", "n7", "oY", "oF", "Ba", "vl", "ei", "g6", "th", "RT",
    "VP", "Jx", "TK", "Xs", "wk", "H3", "fR", "Zk", "Ip", "tt", "fY", "kN", "f4", "Uy", "xx", "QJ",
    "JO", "SL", "Jb", "fU", "yy", "xP", "hG", "w6", "nT", "O4", "Q8", "wr", "oW", "jO", "vy", "bC",
}};
// clang-format on

// Reverse table over both characters of a code (7-bit ASCII each): the index of
// the entry, or -1. Decoding looks each pair up here instead of searching.
constexpr std::array<qint16, 128 * 128> makeReverse()
{
    std::array<qint16, 128 * 128> r {};
    for (auto& v : r)
        v = -1;
    for (int i = 0; i < 256; ++i)
        r[std::size_t(kCodes[std::size_t(i)][0]) * 128 + std::size_t(kCodes[std::size_t(i)][1])]
            = qint16(i);
    return r;
}
constexpr std::array<qint16, 128 * 128> kReverse = makeReverse();

// The codes as UTF-16, so encoding appends without converting.
struct WideCodes
{
    std::array<char16_t, 2 * 256> units {};
    constexpr WideCodes()
    {
        for (std::size_t i = 0; i < 256; ++i) {
            units[2 * i] = char16_t(kCodes[i][0]);
            units[2 * i + 1] = char16_t(kCodes[i][1]);
        }
    }
};
constexpr WideCodes kWide;
constexpr char16_t kWideFallback[2] = { char16_t(FallbackCode[0]), char16_t(FallbackCode[1]) };

constexpr bool tableIsSound()
{
    for (std::size_t i = 0; i < 256; ++i) {
        for (char c : { kCodes[i][0], kCodes[i][1] })
            if (c <= ' ' || c > '~' || c == ',' || c == '"')
                return false;
        if (kReverse[std::size_t(kCodes[i][0]) * 128 + std::size_t(kCodes[i][1])] != qint16(i))
            return false; // a duplicate code
        const char f = kCodes[i][0];
        if (!((f >= 'A' && f <= 'Z') || (f >= 'a' && f <= 'z')))
            return false;
    }
    return kReverse[std::size_t(FallbackCode[0]) * 128 + std::size_t(FallbackCode[1])] == -1;
}
static_assert(tableIsSound(), "the code table must hold 256 distinct printable codes");

inline void appendCode(QChar*& out, int value)
{
    const std::size_t v = std::size_t(value);
    *out++ = QChar(kWide.units[2 * v]);
    *out++ = QChar(kWide.units[2 * v + 1]);
}

} // namespace

KeySource systemKeys()
{
    return [] { return int(QRandomGenerator::global()->bounded(256u)); };
}

KeySource seededKeys(quint32 seed)
{
    auto gen = std::make_shared<QRandomGenerator>(seed);
    return [gen] { return int(gen->bounded(256u)); };
}

QStringView codeOf(int value)
{
    if (value < 0 || value > 255)
        return QStringView(kWideFallback, 2);
    return QStringView(&kWide.units[2 * std::size_t(value)], 2);
}

int indexOf(QChar first, QChar second)
{
    const char16_t a = first.unicode(), b = second.unicode();
    if (a >= 128 || b >= 128)
        return -1;
    return kReverse[std::size_t(a) * 128 + b];
}

QString encode(QStringView text, int key)
{
    key &= 0xFF;
    QString out(2 + 4 * text.size(), Qt::Uninitialized);
    QChar* p = out.data();
    appendCode(p, key);
    for (QChar c : text) {
        const int unit = c.unicode();
        appendCode(p, ((unit & 0xFF) + key) & 0xFF);
        appendCode(p, ((unit >> 8) + key) & 0xFF);
    }
    return out;
}

void encodeAppend(QStringView text, int key, QByteArray& out)
{
    key &= 0xFF;
    const qsizetype at = out.size();
    out.resize(at + 2 + 4 * text.size());
    char* p = out.data() + at;
    const auto put = [&p](int value) {
        *p++ = kCodes[std::size_t(value)][0];
        *p++ = kCodes[std::size_t(value)][1];
    };
    put(key);
    for (QChar c : text) {
        const int unit = c.unicode();
        put(((unit & 0xFF) + key) & 0xFF);
        put(((unit >> 8) + key) & 0xFF);
    }
}

QString encode(QStringView text, const KeySource& keys)
{
    return encode(text, keys ? keys() : systemKeys()());
}

std::optional<QString> decode(QStringView s)
{
    // Key pair, then four characters (two bytes) per UTF-16 unit.
    if (s.size() < 2 || (s.size() - 2) % 4 != 0)
        return std::nullopt;
    const int key = indexOf(s[0], s[1]);
    if (key < 0)
        return std::nullopt;
    const qsizetype units = (s.size() - 2) / 4;
    QString out(units, Qt::Uninitialized);
    QChar* o = out.data();
    for (qsizetype i = 0, pos = 2; i < units; ++i, pos += 4) {
        const int lo = indexOf(s[pos], s[pos + 1]);
        const int hi = indexOf(s[pos + 2], s[pos + 3]);
        if (lo < 0 || hi < 0)
            return std::nullopt;
        *o++ = QChar(char16_t(((lo - key) & 0xFF) | (((hi - key) & 0xFF) << 8)));
    }
    return out;
}

bool decodeAppend(const char* s, qsizetype size, QString& out)
{
    auto code = [s](qsizetype pos) -> int {
        const auto a = static_cast<unsigned char>(s[pos]), b = static_cast<unsigned char>(s[pos + 1]);
        if (a >= 128 || b >= 128)
            return -1;
        return kReverse[std::size_t(a) * 128 + b];
    };
    if (size < 2 || (size - 2) % 4 != 0)
        return false;
    const int key = code(0);
    if (key < 0)
        return false;
    const qsizetype units = (size - 2) / 4;
    const qsizetype at = out.size();
    out.resize(at + units);
    QChar* o = out.data() + at;
    for (qsizetype pos = 2; pos < size; pos += 4) {
        const int lo = code(pos);
        const int hi = code(pos + 2);
        if (lo < 0 || hi < 0) {
            out.truncate(at);
            return false;
        }
        *o++ = QChar(char16_t(((lo - key) & 0xFF) | (((hi - key) & 0xFF) << 8)));
    }
    return true;
}

std::optional<QString> legacyDecode(QStringView s, qint64 key)
{
    if (s.size() % 3 != 0 || (s.size() / 3) % 2 != 0)
        return std::nullopt;
    // A group is 0 to 999: with a key this far out none gives a byte (and the
    // subtraction below would overflow for the farthest keys a file can name).
    if (!s.isEmpty() && (key < -1000 || key > 2000))
        return std::nullopt;
    QString out(s.size() / 6, Qt::Uninitialized);
    QChar* o = out.data();
    int low = -1;
    for (qsizetype pos = 0; pos < s.size(); pos += 3) {
        int group = 0;
        for (qsizetype j = pos; j < pos + 3; ++j) {
            const char16_t c = s[j].unicode();
            if (c < u'0' || c > u'9')
                return std::nullopt;
            group = group * 10 + (c - u'0');
        }
        qint64 v = group - key;
        if (v < 0)
            v += 256;
        if (v < 0 || v > 255)
            return std::nullopt;
        if (low < 0) {
            low = int(v);
        } else {
            *o++ = QChar(char16_t(low | (int(v) << 8)));
            low = -1;
        }
    }
    return out;
}

} // namespace Scramble

QString Text_Scramble(const QString& text, int direction)
{
    return Text_Scramble(text, direction, Scramble::KeySource());
}

QString Text_Scramble(const QString& text, int direction, const Scramble::KeySource& keys)
{
    if (direction == 1)
        return Scramble::encode(text, keys);
    if (direction == 2)
        return Scramble::decode(text).value_or(QString());
    return {};
}

QString Code_Lookup(const QString& text, int mode)
{
    if (mode == 2) {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return Scramble::codeOf(-1).toString();
        const double whole = std::floor(v);
        return Scramble::codeOf(whole >= 0 && whole <= 255 ? int(whole) : -1).toString();
    }
    if (mode == 1) {
        const int i = text.size() == 2 ? Scramble::indexOf(text[0], text[1]) : -1;
        return QString::number(i < 0 ? 999 : i);
    }
    return {};
}

QString Legacy_Decode(const QString& text, int key)
{
    return Scramble::legacyDecode(text, key).value_or(QString());
}
