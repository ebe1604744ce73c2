#pragma once

#include "startup/AppContext.h"
#include "support/FakeHotKey.h"
#include "support/FakeInputActivity.h"
#include "support/FixedClock.h"
#include "support/QueuedColorFontDialogs.h"
#include "support/QueuedFileDialog.h"
#include "support/RecordingMessageBox.h"
#include "support/RecordingTrayIcon.h"

#include <QTemporaryDir>

#include <memory>

// One user of the program inside a test: a program folder of its own, the
// service doubles, and a context over them. Two of these are two users.
class TestUser
{
public:
    // A fresh program folder (temporary unless one is given).
    explicit TestUser(const QString& programFolder = QString());

    const QString& folder() const { return m_folder; }
    AppContext& ctx() { return *m_ctx; }
    RecordingMessageBox& box() { return m_box; }
    QueuedFileDialog& dialogs() { return m_dialogs; }
    QueuedColorFontDialogs& colorFont() { return m_colorFont; }
    FixedClock& clock() { return m_clock; }
    RecordingTrayIcon& tray() { return m_tray; }
    FakeHotKey& hotKey() { return m_hotKey; }
    FakeInputActivity& activity() { return m_activity; }

    // Loads the settings file as start-up does.
    void loadSettings();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_folder;
    RecordingMessageBox m_box;
    QueuedFileDialog m_dialogs;
    QueuedColorFontDialogs m_colorFont;
    FixedClock m_clock;
    RecordingTrayIcon m_tray;
    FakeHotKey m_hotKey;
    FakeInputActivity m_activity;
    std::unique_ptr<AppContext> m_ctx;
};
