#pragma once

#include <QString>

class AppContext;

// The message settings: how often the mail place is checked and how arriving
// messages draw attention.
namespace MessageSettings {

struct Values
{
    int interval = 300; // seconds between polls (setting 37); 0: no timed poll
    bool alwaysOnTop = false; // setting 38
    bool bringToFront = true; // setting 51
    bool cursorMark = false; // setting 39
    bool trayBlink = false; // setting 40
    bool notify = true; // setting 103: a desktop notification per received message
};

Values load(const AppContext& ctx);

// The interval box: an integer from 0 to 9999, blanks around it allowed.
bool parseInterval(const QString& text, int* seconds);
QString intervalErrorText();

// Writes the six settings; false when the settings file could not be written
// (already reported by it).
bool store(AppContext& ctx, const Values& values);

} // namespace MessageSettings
