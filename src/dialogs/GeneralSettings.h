#pragma once

#include <QString>

#include <optional>

class IniFile;
class Settings;

// The general settings as one value: the board refresh interval (41, seconds),
// the FTP interval (82, minutes; held in seconds in memory), the main window's
// behaviours (42, 43, 52, 76, 55), the hot key switch and key (63, 64) and the
// whereabouts log switch (65).
struct GeneralSettings {
    static constexpr int MaxRefreshSeconds = 9999;
    static constexpr int MaxFtpMinutes = 499;

    int refreshSeconds = 0;
    int ftpMinutes = 0;
    bool closeMinimizes = false;   // 42
    bool hideFromTaskBar = false;  // 43
    bool functionKeys = false;     // 52
    bool escMinimizes = false;     // 76
    bool refreshOnRestore = false; // 55
    bool hotKeyOn = false;         // 63
    int hotKey = 0;                // 64, stored as 0 while hotKeyOn is off
    bool whereaboutsLog = false;   // 65

    static GeneralSettings load(const Settings& settings);

    // A whole number as typed into an interval box: blanks around it allowed,
    // half- or full-width digits only, from 0 to max; anything else is refused.
    static std::optional<int> parseInterval(const QString& typed, int max);

    // Stores every setting in the dialog's order, the canonical numbers for
    // the intervals. False when the settings file refused a write (reported).
    bool save(IniFile& ini) const;
};
