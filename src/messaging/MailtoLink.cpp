#include "messaging/MailtoLink.h"

#include <QByteArray>

namespace MailtoLink {

QUrl build(const QStringList& addresses, const QString& body)
{
    QByteArray encoded = "mailto:";
    for (qsizetype k = 0; k < addresses.size(); ++k) {
        if (k > 0)
            encoded += ',';
        // "@" stays as it is; "," inside an address must not split it.
        encoded += QUrl::toPercentEncoding(addresses[k], "@");
    }
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    if (!text.isEmpty())
        encoded += "?body=" + QUrl::toPercentEncoding(text);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

} // namespace MailtoLink
