#include "startup/AppContext.h"

#include "platform/ColorFontDialogs.h"
#include "platform/FtpClient.h"
#include "platform/GlobalHotKey.h"
#include "platform/InputActivity.h"
#include "platform/Paths.h"
#include "platform/Printing.h"
#include "platform/TrayIcon.h"

AppContext::AppContext(const QString& programFolder, const Services& services)
    : m_programFolder(programFolder)
    , m_services(services)
    , m_ini(Paths::join(programFolder, QStringLiteral("Porlune.INI")), programFolder, m_settings,
            m_box)
{
}

QString AppContext::programPath(const QString& name) const
{
    return Paths::join(m_programFolder, name);
}

AppContext::~AppContext() = default;

ITrayIcon& AppContext::trayIcon()
{
    if (!m_tray) {
        m_systemTray = std::make_unique<QtTrayIcon>();
        m_tray = m_systemTray.get();
    }
    return *m_tray;
}

IGlobalHotKey& AppContext::hotKey()
{
    if (!m_hotKey) {
        m_systemHotKey = createGlobalHotKey();
        m_hotKey = m_systemHotKey.get();
    }
    return *m_hotKey;
}

IFtpClient& AppContext::ftpClient()
{
    if (!m_ftp) {
        CurlFtpClient::Options options;
        options.logPath = programPath(QStringLiteral("ftplog.txt"));
        m_ownFtp = std::make_unique<CurlFtpClient>(options);
        m_ftp = m_ownFtp.get();
    }
    return *m_ftp;
}

IInputActivity& AppContext::inputActivity()
{
    if (!m_activity) {
        m_systemActivity = createInputActivity();
        m_activity = m_systemActivity.get();
    }
    return *m_activity;
}

IColorFontDialogs& AppContext::colorFontDialogs()
{
    if (!m_colorFont) {
        m_systemColorFont = std::make_unique<QtColorFontDialogs>();
        m_colorFont = m_systemColorFont.get();
    }
    return *m_colorFont;
}

IPrinting& AppContext::printing()
{
    if (!m_printing) {
        m_systemPrinting = std::make_unique<QtPrinting>();
        m_printing = m_systemPrinting.get();
    }
    return *m_printing;
}
