#pragma once

#include <QString>

// Names of the message files: drop files in the mail place, inbox and "TMP"
// files in the program folder, "TIM" and "RCV" files. Person names go into these
// file names verbatim, so a name must be one that a file name can carry.
namespace MailNames {

inline constexpr int MaxDropNumber = 999;

inline QString tmpFolder()
{
    return QStringLiteral("TMP");
}
inline QString timFolder()
{
    return QStringLiteral("TIM");
}
inline QString rcvFolder()
{
    return QStringLiteral("RCV");
}
inline QString messageTmp()
{
    return QStringLiteral("message.tmp");
}

// Why name cannot stand in a message file name, as a Japanese clause ending in
// "ため"; empty when it can. Refused: empty names, path separators and the other
// characters Windows forbids, "." (scheduled names are split at it), "," (the
// addressee line is split at it), control characters, a blank at the end, the
// device names Windows reserves, and names too long for the longest file name.
QString nameProblem(const QString& name);
inline bool isUsableName(const QString& name)
{
    return nameProblem(name).isEmpty();
}

// "Taro.001"
QString dropFileName(const QString& recipient, int number);
// "Taro.1"
QString inboxFileName(const QString& ownName, int number);
// "TMPTaro.1" (inside "TMP")
QString tmpFileName(const QString& ownName, int number);
// "RCVTaro.7" (inside "RCV")
QString rcvFileName(const QString& recipient, int mailId);
// "20060614090500Taro.001" (inside "TIM")
QString scheduledFileName(const QString& sendTime, const QString& recipient, int number);

// The number of fileName when it is prefix + "." + decimal digits (exactly
// digits of them when digits > 0; no leading zero otherwise); -1 when it is not.
// The prefix compares without regard to case, as the shared folders do.
int numberOf(const QString& fileName, const QString& prefix, int digits = 0);

} // namespace MailNames
