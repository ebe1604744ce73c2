#include "support/TestContext.h"

TestUser::TestUser(const QString& programFolder)
{
    if (programFolder.isEmpty()) {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_folder = m_tmp->path();
    } else {
        m_folder = programFolder;
    }
    m_ctx = std::make_unique<AppContext>(m_folder, Services {m_box, m_dialogs, m_clock});
    m_ctx->setTrayIcon(&m_tray);
    m_ctx->setHotKey(&m_hotKey);
    m_ctx->setInputActivity(&m_activity);
    m_ctx->setColorFontDialogs(&m_colorFont);
}

void TestUser::loadSettings()
{
    m_ctx->iniFile().Inifile_Read();
}
