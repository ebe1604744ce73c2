#pragma once

// Message-log helpers of the drivers.

#include "msglog/MessageLog.h"
#include "platform/FileOps.h"

// Loads the log as the viewer does; a locked log needs no password to parse.
inline bool loadLog(const QString& log, MessageLog::ParseResult& parsed, Fs::FileStamp& stamp)
{
    int err = 0;
    const QByteArray bytes = Fs::readBytes(log, &err, &stamp);
    if (err)
        return false;
    parsed = MessageLog::parse(bytes);
    return true;
}
