#include "common/TypedNumber.h"

std::optional<int> parseTypedNumber(const QString& typed, int max)
{
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    qint64 n = 0;
    for (QChar c : t) {
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (c >= u'\uFF10' && c <= u'\uFF19')
            digit = c.unicode() - 0xFF10;
        if (digit < 0)
            return std::nullopt;
        n = n * 10 + digit;
        if (n > max) // also keeps a long run of digits from overflowing
            return std::nullopt;
    }
    return int(n);
}
