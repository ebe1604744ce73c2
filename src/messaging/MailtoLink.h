#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The mail client is reached through a mailto: address (RFC 6068): the
// addresses joined with ",", the text as the body with CR LF line breaks, both
// percent-encoded as UTF-8 so Japanese text and characters such as "&", "+",
// "?" and "#" arrive unchanged.
namespace MailtoLink {

QUrl build(const QStringList& addresses, const QString& body);

} // namespace MailtoLink
