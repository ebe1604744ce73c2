#pragma once

#include <QStringList>

class AppContext;

// The per-user counter (setting 44, 1 to 999) that pairs a receipt with the
// message it confirms.
namespace MailId {

inline constexpr int First = 1;
inline constexpr int Last = 999;

// The value after id: 999 goes back to 1. A value outside the range (a damaged
// settings file) also restarts at 1.
int next(int id);
// The value to put into a message now; 1 when the stored one is out of range.
int current(const AppContext& ctx);
// The value to put into a message to recipients that asks for a receipt: the
// current one, or the next after it whose "RCV" entry exists for none of them.
// After the counter wrapped, a receipt for the new message would otherwise
// match (and remove) the older message's entry. When every value is in use the
// current one is taken.
int currentFree(const AppContext& ctx, const QStringList& recipients);
// Moves the counter on and writes it to the settings file at once. False when
// the settings file could not be written (already reported by the settings file).
bool advance(AppContext& ctx);
// Moves the counter on to the value after used (the one a message just took).
bool advanceFrom(AppContext& ctx, int used);

} // namespace MailId
