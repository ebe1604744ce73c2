#pragma once

#include <QString>

#include <array>
#include <optional>

class IniFile;
class Settings;

// The automatic input settings as one value: whereabouts set at start (56,
// 58, 60), at exit (57, 59, 61) and after the set button (66, 67, 68), the
// absence whereabouts (105, 106), the condition they replace (107, 108) and
// the minutes without use (104, held in seconds).
struct AutoInputSettings {
    struct Pair {
        QString destination;
        QString expectedReturn;
    };
    // By the dialog's box index: start, exit, after set, absence, condition.
    static constexpr int PairCount = 5;
    static constexpr int MaxMinutes = 499;

    bool atStart = false;
    bool atExit = false;
    bool afterSet = false;
    std::array<Pair, PairCount> pairs {};
    int minutes = 0;

    static AutoInputSettings load(const Settings& settings);
    // The minutes as typed: a whole number from 0 to 499, blanks around it
    // allowed; anything else is refused.
    static std::optional<int> parseMinutes(const QString& text);
    // Stores and saves every setting; when any text cannot be stored as it is
    // (reported by the settings file), nothing changes and false comes back.
    bool save(IniFile& ini) const;
};
