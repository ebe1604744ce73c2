#pragma once

#include "startup/AppContext.h"

#include <QString>

#include <memory>

class InstanceLock;

// What runs before the main window: refuse a second copy, fix the program
// folder, load the settings and the FTP list, make the message folders.
class StartupSequence
{
public:
    enum class Outcome {
        ShowMain,          // go on to the main window
        AlreadyRunning,    // another copy holds the program folder
        FolderRefused,     // the program folder cannot hold its own settings
        FtpListMalformed,  // reported; the program ends
    };

    StartupSequence(const QString& programFolder, const Services& services);
    ~StartupSequence();

    Outcome run();

    // Valid after run() gave ShowMain.
    AppContext& context() { return *m_context; }

    // Longest program folder whose default file paths fit in a settings record.
    static bool folderFits(const QString& programFolder);
    // Whether the settings file can hold the folder's paths as they are.
    static bool folderEncodable(const QString& programFolder);

    static const QStringList& messageFolders(); // "TMP", "TIM", "RCV"

private:
    QString m_programFolder;
    Services m_services;
    std::unique_ptr<InstanceLock> m_lock;
    std::unique_ptr<AppContext> m_context;
};
