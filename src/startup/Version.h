#pragma once

#include <QString>

// "major.minor" followed by the revision run together, as the caption shows it
// (version 2.1.3 reads "2.13").
inline QString versionText()
{
    return QString::number(PORLUNE_VERSION_MAJOR) + u'.' + QString::number(PORLUNE_VERSION_MINOR)
        + QString::number(PORLUNE_VERSION_PATCH);
}

inline QString mainCaption()
{
    return QStringLiteral("Porlune Ver") + versionText();
}
