#pragma once

#include <QString>

// Parts of a path, concatenated in this order for the flags given: 1 the drive
// (up to and including a ":" that comes before any separator), 2 the folder
// (after the drive up to and including the last separator), 4 the base name
// (after the last separator up to its last "."), 8 the extension (from that "."
// on; empty when the name has none). Both "\" and "/" separate. An empty path
// gives an empty text; flags 15 give the path back.
QString Path_Split(const QString& path, int flags);
