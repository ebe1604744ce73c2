#pragma once

#include <QString>

#include <optional>

// A whole number as a user types it into a box: blanks around it are ignored
// and its digits may be the full-width ones a Japanese input method gives.
// Digits only (no sign, no fraction); nothing when the text is anything
// else or the number is above max.
std::optional<int> parseTypedNumber(const QString& typed, int max);
