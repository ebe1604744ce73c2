#include "msglog/MessageSearch.h"

#include <algorithm>

namespace MessageSearch {

namespace {

// Characters that compatibility folding leaves as they are: letters of the
// kana and ideograph blocks, most Japanese punctuation. Text made only of these
// and ASCII is folded by a table walk; anything else goes through Qt's NFKC.
inline bool stableWide(char16_t c)
{
    return (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC
        || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3001 && c <= 0x3003) || (c >= 0x3005 && c <= 0x3011)
        || (c >= 0x3013 && c <= 0x301B) || c == 0x301C || c == 0x2015 || c == 0x2016 || c == 0x2010;
}

// Half-width katakana U+FF61 to U+FF9D as their full-width forms.
constexpr char16_t kHalfKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3};

// The kana a voiced (or semi-voiced) mark makes of base, or 0 when NFKC
// would keep the mark apart.
char16_t voiced(char16_t base, bool semi)
{
    const bool kaToTo = base >= 0x30AB && base <= 0x30C8 && base != 0x30C3;
    const bool haToHo = base >= 0x30CF && base <= 0x30DB && (base - 0x30CF) % 3 == 0;
    if (semi)
        return haToHo ? char16_t(base + 2) : 0;
    if (base == 0x30A6)
        return 0x30F4; // ヴ
    if (haToHo)
        return char16_t(base + 1);
    if (kaToTo) {
        // カ..ト alternate with their voiced forms, except around ッ.
        const bool odd = base < 0x30C3 ? (base - 0x30AB) % 2 == 0 : (base - 0x30C4) % 2 == 0;
        return odd ? char16_t(base + 1) : 0;
    }
    return 0;
}

} // namespace

void foldInto(QStringView text, QString& out)
{
    out.resize(text.size());
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c >= 0xFF61 && c <= 0xFF9F) {
            if (c <= 0xFF9D) {
                o[n++] = kHalfKana[c - 0xFF61];
                continue;
            }
            // A voiced mark joins the kana before it.
            const char16_t joined = n > 0 ? voiced(o[n - 1], c == 0xFF9F) : 0;
            if (!joined) {
                out = text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
                return;
            }
            o[n - 1] = joined;
            continue;
        }
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + 32);
        } else if (c >= 0xFF01 && c <= 0xFF5E) {
            c = char16_t(c - 0xFEE0); // full-width ASCII
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + 32);
        } else if (c == 0x3000) {
            c = u' ';
        } else if (!stableWide(c)) {
            out = text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
            return;
        }
        o[n++] = c;
    }
    out.truncate(n);
}

QString fold(const QString& text)
{
    QString out;
    foldInto(text, out);
    return out;
}

QList<qint32> search(const MessageLog::RecordTable& table, const Conditions& c)
{
    std::vector<qint32> order(static_cast<std::size_t>(table.size()));
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = qint32(k);
    return search(table, order, c);
}

QList<qint32> search(const MessageLog::RecordTable& table, const std::vector<qint32>& order, const Conditions& c)
{
    const QString honbun = fold(c.honbunText);
    const QString atesaki = fold(c.atesakiText);
    const QString sashidashi = fold(c.sashidashiText);
    QString buf;
    const auto contains = [&buf](const QString& value, const QString& needle) {
        if (needle.isEmpty())
            return true;
        foldInto(value, buf);
        return buf.contains(needle);
    };
    // Walked in file order, which reads the log's buffer front to back, then
    // put in the table's order.
    std::vector<qint32> position(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        position[std::size_t(order[i])] = qint32(i);
    QList<qint32> out;
    for (qint32 k = 0; k < qint32(order.size()); ++k) {
        // Tested in the order 本文, 宛先, 差出人, 送信日付; AND stops at the
        // first failure, OR at the first success.
        bool decided = false;
        bool match = !c.orJoin;
        const auto test = [&](bool on, auto&& holds) {
            if (!on || decided)
                return;
            const bool h = holds();
            if (c.orJoin && h) {
                match = true;
                decided = true;
            } else if (!c.orJoin && !h) {
                match = false;
                decided = true;
            }
        };
        test(c.honbun, [&] { return contains(table.text(k), honbun); });
        test(c.atesaki, [&] { return contains(table.addressees(k), atesaki); });
        test(c.sashidashi, [&] { return contains(table.sender(k), sashidashi); });
        test(c.soushinbi, [&] {
            const QString d = table.date(k);
            return d >= c.dateFrom && d <= c.dateTo;
        });
        if (match)
            out.append(k);
    }
    std::sort(out.begin(), out.end(), [&](qint32 a, qint32 b) { return position[std::size_t(a)] < position[std::size_t(b)]; });
    return out;
}

QString initialText(DateBox box)
{
    switch (box) {
    case DateBox::FromYear:
        return QStringLiteral("2000");
    case DateBox::FromMonth:
    case DateBox::FromDay:
        return QStringLiteral("01");
    case DateBox::ToYear:
        return QStringLiteral("2999");
    case DateBox::ToMonth:
        return QStringLiteral("12");
    case DateBox::ToDay:
        return QStringLiteral("31");
    }
    return QString();
}

std::optional<QString> checkDateBox(DateBox box, const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || t.isEmpty())
        return std::nullopt;
    for (QChar ch : t)
        if (!ch.isDigit() || ch.unicode() > 0x7F)
            return std::nullopt;
    switch (box) {
    case DateBox::FromYear:
    case DateBox::ToYear:
        if (v < 1000 || v > 9999)
            return std::nullopt;
        return QString::number(v);
    case DateBox::FromMonth:
    case DateBox::ToMonth:
        if (v < 0 || v > 12)
            return std::nullopt;
        break;
    case DateBox::FromDay:
    case DateBox::ToDay:
        if (v < 0 || v > 31)
            return std::nullopt;
        break;
    }
    return QStringLiteral("%1").arg(v, 2, 10, QChar(u'0'));
}

} // namespace MessageSearch
