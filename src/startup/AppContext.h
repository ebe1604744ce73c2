#pragma once

#include "board/BoardState.h"
#include "ftp/FtpList.h"
#include "platform/MessageBox.h"
#include "memo/BannerServer.h"
#include "startup/IniFile.h"
#include "startup/Settings.h"

#include <QString>

#include <memory>

class IClock;
class IColorFontDialogs;
class IPrinting;
class IFileDialog;
class IFtpClient;
class IGlobalHotKey;
class IInputActivity;
class IMessageBox;
class ITrayIcon;

// The services a copy of the program talks to instead of the system directly.
struct Services {
    IMessageBox& msgBox;
    IFileDialog& fileDialog;
    IClock& clock;
};

// Everything one running copy owns: its program folder, its settings, its
// tables and its services. Windows get it by reference; two contexts can live in
// one process, which is how two users meet in a test.
class AppContext
{
public:
    AppContext(const QString& programFolder, const Services& services);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    const QString& programFolder() const { return m_programFolder; }
    // A file or folder in the program folder.
    QString programPath(const QString& name) const;
    QString settingsPath() const { return m_ini.path(); }

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    IniFile& iniFile() { return m_ini; }

    FtpListTable& ftpList() { return m_ftpList; }

    // Board table, row table and board time stamps (board/BoardAccess.h).
    BoardState& board() { return m_board; }
    const BoardState& board() const { return m_board; }

    // The earliest send time of the scheduled messages waiting in "TIM", 14
    // digits; "99999999999999" when none waits. Composing a scheduled message
    // lowers it.
    QString& earliestSendTime() { return m_earliestSendTime; }
    const QString& earliestSendTime() const { return m_earliestSendTime; }

    IMessageBox& msgBox() const { return m_box; }
    // The session is ending: boxes go to kEndErrorsFile, shown at the next start.
    void deferMessageBoxes() { m_box.deferTo(programPath(kEndErrorsFile)); }
    static inline const QString kEndErrorsFile = QStringLiteral("unloaderr.txt");
    IFileDialog& fileDialog() const { return m_services.fileDialog; }
    IClock& clock() const { return m_services.clock; }

    // The tray icon and the global hot key: the system's, made when first
    // asked for, unless others were set first (tests set doubles). Not owned
    // when set.
    ITrayIcon& trayIcon();
    IGlobalHotKey& hotKey();
    void setTrayIcon(ITrayIcon* tray) { m_tray = tray; }
    void setHotKey(IGlobalHotKey* hotKey) { m_hotKey = hotKey; }
    // The FTP client, logging to "ftplog.txt" in the program folder; made when
    // first asked for unless another was set first.
    IFtpClient& ftpClient();
    void setFtpClient(IFtpClient* client) { m_ftp = client; }
    // The date memo window's banner server: the built-in one unless set.
    const BannerServer& bannerServer() const { return m_bannerServer; }
    void setBannerServer(const BannerServer& server) { m_bannerServer = server; }
    // Key and button use, for the inactivity watch; the same rule.
    IInputActivity& inputActivity();
    void setInputActivity(IInputActivity* activity) { m_activity = activity; }
    // The colour and font choosers; the same rule.
    IColorFontDialogs& colorFontDialogs();
    void setColorFontDialogs(IColorFontDialogs* dialogs) { m_colorFont = dialogs; }
    // The printers; the same rule.
    IPrinting& printing();
    void setPrinting(IPrinting* printing) { m_printing = printing; }

private:
    QString m_programFolder;
    Services m_services;
    mutable DeferringMessageBox m_box {m_services.msgBox};
    Settings m_settings;
    IniFile m_ini;
    FtpListTable m_ftpList {};
    BoardState m_board;
    QString m_earliestSendTime = QStringLiteral("99999999999999");
    ITrayIcon* m_tray = nullptr;
    IGlobalHotKey* m_hotKey = nullptr;
    IInputActivity* m_activity = nullptr;
    IColorFontDialogs* m_colorFont = nullptr;
    IPrinting* m_printing = nullptr;
    std::unique_ptr<ITrayIcon> m_systemTray;
    std::unique_ptr<IGlobalHotKey> m_systemHotKey;
    IFtpClient* m_ftp = nullptr;
    std::unique_ptr<IFtpClient> m_ownFtp;
    BannerServer m_bannerServer = BannerServer::builtIn();
    std::unique_ptr<IInputActivity> m_systemActivity;
    std::unique_ptr<IColorFontDialogs> m_systemColorFont;
    std::unique_ptr<IPrinting> m_systemPrinting;
};
