#include "messaging/MessageNotice.h"

#include "messaging/MessageFile.h"

MessageNotice messageNotice(const MessageFile& message)
{
    MessageNotice n;
    const QString sender = message.sender.trimmed().isEmpty() ? QStringLiteral("(差出人不明)") : message.sender.trimmed();
    n.title = sender + QStringLiteral(" さんからのメッセージ");
    if (message.isSealed()) {
        n.text = QStringLiteral("封印されたメッセージが届きました");
        return n;
    }
    for (const QString& line : message.textLines) {
        if (!line.trimmed().isEmpty()) {
            n.text = line.trimmed();
            break;
        }
    }
    if (n.text.isEmpty())
        n.text = QStringLiteral("(本文なし)");
    return n;
}
