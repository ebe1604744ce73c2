#include "board/ReturnDue.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace {

struct Parsed {
    int month = 0, day = 0, year = 0; // 0: not given
    int hour = -1, minute = 0;        // hour -1: no time
};

// Full-width digits, colon, slash and blanks to their ASCII forms; the rest as is.
QString narrow(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            out += QChar(u'0' + (u - u'０'));
        else if (u == u'：')
            out += u':';
        else if (u == u'／')
            out += u'/';
        else if (u == u'　')
            out += u' ';
        else if (u == u'－' || u == u'−')
            out += u'-';
        else
            out += c;
    }
    return out.trimmed();
}

std::optional<Parsed> parseOne(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^(?:(?:(\d{4})/)?(\d{1,2})/(\d{1,2})|(\d{1,2})月(\d{1,2})日)?\s*)"
        R"((?:(\d{1,2}):(\d{2})|(\d{1,2})時(?:(\d{1,2})分|(半))?)?$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch() || text.isEmpty())
        return std::nullopt;
    Parsed p;
    if (m.hasCaptured(2)) {
        p.year = m.hasCaptured(1) ? m.captured(1).toInt() : 0;
        p.month = m.captured(2).toInt();
        p.day = m.captured(3).toInt();
    } else if (m.hasCaptured(4)) {
        p.month = m.captured(4).toInt();
        p.day = m.captured(5).toInt();
    }
    if (m.hasCaptured(6)) {
        p.hour = m.captured(6).toInt();
        p.minute = m.captured(7).toInt();
    } else if (m.hasCaptured(8)) {
        p.hour = m.captured(8).toInt();
        p.minute = m.hasCaptured(9) ? m.captured(9).toInt() : m.hasCaptured(10) ? 30 : 0;
    }
    if (p.month == 0 && p.hour < 0)
        return std::nullopt;
    if (p.hour > 23 || p.minute > 59)
        return std::nullopt;
    if (p.month != 0 && !QDate(p.year ? p.year : 2000, p.month, p.day).isValid()) // 2000 allows 2/29
        return std::nullopt;
    return p;
}

// The year that puts month/day nearest to today.
std::optional<QDate> nearestDate(int month, int day, const QDate& today)
{
    std::optional<QDate> best;
    for (int y = today.year() - 1; y <= today.year() + 1; ++y) {
        const QDate d(y, month, day);
        if (d.isValid() && (!best || std::abs(d.daysTo(today)) < std::abs(best->daysTo(today))))
            best = d;
    }
    return best;
}

std::optional<QDateTime> deadlineOf(const Parsed& p, const QDateTime& now, const QString& setTime)
{
    if (p.month != 0) {
        const std::optional<QDate> date =
            p.year ? std::optional<QDate>(QDate(p.year, p.month, p.day)) : nearestDate(p.month, p.day, now.date());
        if (!date || !date->isValid())
            return std::nullopt;
        if (p.hour < 0)
            return QDateTime(date->addDays(1), QTime(0, 0));
        return QDateTime(*date, QTime(p.hour, p.minute));
    }
    const QTime time(p.hour, p.minute);
    // The set time "mm/dd hh:mm" names the day the return belongs to.
    static const QRegularExpression setRe(QStringLiteral(R"(^(\d{2})/(\d{2}) (\d{2}):(\d{2})$)"));
    const QRegularExpressionMatch m = setRe.match(setTime.trimmed());
    if (m.hasMatch()) {
        const QTime setAt(m.captured(3).toInt(), m.captured(4).toInt());
        const std::optional<QDate> setDay = nearestDate(m.captured(1).toInt(), m.captured(2).toInt(), now.date());
        if (setAt.isValid() && setDay && *setDay <= now.date())
            return QDateTime(time < setAt ? setDay->addDays(1) : *setDay, time);
    }
    return QDateTime(now.date(), time);
}

} // namespace

std::optional<QDateTime> returnDeadline(const QString& text, const QDateTime& now, const QString& setTime)
{
    const QString t = narrow(text);
    if (t.isEmpty())
        return std::nullopt;
    static const QRegularExpression rangeSep(QStringLiteral("[～〜~]|(?<=\\d)-(?=\\d)"));
    const QStringList parts = t.split(rangeSep);
    if (parts.size() > 2)
        return std::nullopt;
    std::optional<Parsed> first = parseOne(parts.first().trimmed());
    if (!first)
        return std::nullopt;
    if (parts.size() == 1)
        return deadlineOf(*first, now, setTime);
    std::optional<Parsed> last = parseOne(parts.last().trimmed());
    if (!last)
        return std::nullopt;
    // "12/11 9:00～17:00": the end takes the start's date when it has none.
    if (last->month == 0 && first->month != 0) {
        last->year = first->year;
        last->month = first->month;
        last->day = first->day;
    }
    const auto a = deadlineOf(*first, now, setTime);
    const auto b = deadlineOf(*last, now, setTime);
    if (!a || !b)
        return std::nullopt;
    return std::max(*a, *b);
}

bool isOverdue(const QString& text, const QDateTime& now, const QString& setTime)
{
    const auto d = returnDeadline(text, now, setTime);
    return d && now > *d;
}

QString overdueTooltip(const QString& text)
{
    return QStringLiteral("戻り予定（%1）を過ぎています").arg(text);
}
