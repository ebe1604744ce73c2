#include "messaging/MailNames.h"

#include <QStringList>

namespace MailNames {

namespace {

// The longest name we form from a person's name is "TMP" + name + "." + a
// number, or the 14-digit send time + name + ".NNN"; both must stay within the
// 255 bytes a file name may have.
constexpr int MaxNameBytes = 200;

bool isReservedDeviceName(const QString& name)
{
    const QString upper = name.toUpper();
    static const QStringList fixed
        = { QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
              QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$") };
    if (fixed.contains(upper))
        return true;
    return upper.size() == 4 && (upper.startsWith(u"COM") || upper.startsWith(u"LPT"))
        && upper[3] >= u'0' && upper[3] <= u'9';
}

} // namespace

QString nameProblem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("名前が空の");
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("名前に制御文字を含む");
        if (QStringView(u"\\/:*?\"<>|.,").contains(c))
            return QStringLiteral(
                "名前にファイル名で使えない文字（\\ / : * ? \" < > | . ,）を含む");
    }
    if (name.endsWith(u' ') || name.endsWith(u'\u3000'))
        return QStringLiteral("名前が空白で終わる");
    if (isReservedDeviceName(name))
        return QStringLiteral("名前がWindowsの予約名である");
    if (name.toUtf8().size() > MaxNameBytes)
        return QStringLiteral("名前が長すぎる");
    return {};
}

QString dropFileName(const QString& recipient, int number)
{
    return recipient + u'.' + QStringLiteral("%1").arg(number, 3, 10, QChar(u'0'));
}

QString inboxFileName(const QString& ownName, int number)
{
    return ownName + u'.' + QString::number(number);
}

QString tmpFileName(const QString& ownName, int number)
{
    return QStringLiteral("TMP") + inboxFileName(ownName, number);
}

QString rcvFileName(const QString& recipient, int mailId)
{
    return QStringLiteral("RCV") + recipient + u'.' + QString::number(mailId);
}

QString scheduledFileName(const QString& sendTime, const QString& recipient, int number)
{
    return sendTime + dropFileName(recipient, number);
}

int numberOf(const QString& fileName, const QString& prefix, int digits)
{
    const qsizetype start = prefix.size() + 1;
    if (fileName.size() <= start || fileName[start - 1] != u'.'
        || !fileName.startsWith(prefix, Qt::CaseInsensitive))
        return -1;
    const QStringView rest = QStringView(fileName).mid(start);
    if (digits > 0 ? rest.size() != digits : (rest.size() > 9 || rest[0] == u'0'))
        return -1;
    int n = 0;
    for (QChar c : rest) {
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

} // namespace MailNames
