#pragma once

#include "msglog/MessageLog.h"
#include "platform/FileOps.h"

#include <QList>
#include <QString>

// Whole-log rewrites of the viewer: trash, restore, purge, lock, unlock. Each
// holds the claim appends take from its change check to the end, builds the new
// log in memory and replaces the file in one step, so an append lands wholly
// before or wholly after it and a crash leaves the old or the new log, never half.
namespace LogRewrite {

enum class Outcome {
    Done,          // rewritten (or nothing to do: then nothing was written)
    Changed,       // the log is not what was loaded: nothing written
    NotLocked,     // unlock of a log without the lock header
    WrongPassword, // unlock with another password
    AlreadyLocked, // lock of a locked log
    Damaged,       // a locked line that does not decode
    FileError,     // error holds the system error
};

struct Result {
    Outcome outcome = Outcome::Done;
    int error = 0;
    int changedRecords = 0; // records whose lines were rewritten or removed
    bool operator==(const Result&) const = default;
};

// loaded: the stamp taken when table was read. numbers: record numbers (from 1)
// of the selection; numbers outside the table, or records already in the wanted
// state, are left alone. The log before the change is kept as path + ".bak".
Result moveToTrash(const QString& path, const Fs::FileStamp& loaded, const MessageLog::RecordTable& table,
                   const QList<qint64>& numbers);
Result restore(const QString& path, const Fs::FileStamp& loaded, const MessageLog::RecordTable& table,
               const QList<qint64>& numbers);
Result purge(const QString& path, const Fs::FileStamp& loaded, const MessageLog::RecordTable& table,
             const QList<qint64>& numbers);

// Lock scrambles every line behind the marker and password lines; an existing
// plain ".bak" is scrambled the same way, so no plain copy stays beside it.
Result lock(const QString& path, const QString& password);
// Unlock checks marker and password from the file's bytes; on any failure the
// log is not touched (bytes and stamp).
Result unlock(const QString& path, const QString& password);

} // namespace LogRewrite
