#include "startup/AppContext.h"

#include "platform/Paths.h"

AppContext::AppContext(const QString& programFolder, const Services& services)
    : m_programFolder(programFolder)
    , m_services(services)
    , m_ini(Paths::join(programFolder, QStringLiteral("Porlune.INI")), programFolder, m_settings,
            services.msgBox)
{
}

QString AppContext::programPath(const QString& name) const
{
    return Paths::join(m_programFolder, name);
}
