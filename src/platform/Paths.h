#pragma once

#include <QString>

// Every path the program forms goes through here, so the separator lives in one place.
namespace Paths {

inline constexpr QChar separator = u'/';

// folder + separator + name; a folder that already ends in a separator is not doubled.
inline QString join(const QString& folder, const QString& name)
{
    if (folder.endsWith(separator))
        return folder + name;
    return folder + separator + name;
}

// Position (1-based) of the last separator in path, 0 when there is none.
inline qsizetype lastSeparator(const QString& path)
{
    return path.lastIndexOf(separator) + 1;
}

} // namespace Paths
