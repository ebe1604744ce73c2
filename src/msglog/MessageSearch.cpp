#include "msglog/MessageSearch.h"

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

} // namespace

void foldInto(QStringView text, QString& out)
{
    out.resize(text.size());
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
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
        o[i] = c;
    }
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
    QList<qint32> out;
    for (const qint32 k : order) {
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
