#include "msglog/MessageDisplay.h"

#include "msglog/LogGridModel.h"

namespace MessageDisplay {

Role quoteRole(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && line[n] == u'>')
        ++n;
    if (n == 0)
        return Role::Text;
    return n % 2 ? Role::OddQuote : Role::EvenQuote;
}

QList<Run> runs(const MessageLog::RecordTable& table, qsizetype k)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString stars(39, u'*');
    QString header = stars + crlf;
    if (table.direction(k) == u'1')
        header += QStringLiteral("送信者　：") + table.sender(k) + crlf;
    else
        header += QStringLiteral("受信者　：") + table.addressees(k) + crlf;
    header += QStringLiteral("送信日時：") + LogGridModel::dateTimeText(table.date(k), table.time(k)) + crlf;
    header += stars + crlf;
    QList<Run> out {{header, Role::Header}};
    const QStringList pieces = table.text(k).split(crlf);
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        out.append({pieces[i] + crlf, quoteRole(pieces[i])});
    return out;
}

} // namespace MessageDisplay
