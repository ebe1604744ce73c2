#include "startup/StartupSequence.h"

#include "ftp/FtpList.h"
#include "platform/FileOps.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "startup/SharedRoutines.h"

StartupSequence::StartupSequence(const QString& programFolder, const Services& services)
    : m_programFolder(programFolder), m_services(services)
{
}

StartupSequence::~StartupSequence() = default;

const QStringList& StartupSequence::messageFolders()
{
    static const QStringList names {QStringLiteral("TMP"), QStringLiteral("TIM"), QStringLiteral("RCV")};
    return names;
}

bool StartupSequence::folderFits(const QString& programFolder)
{
    for (const char* name : {"msglog.txt", "golog.txt", "ftpset.txt"})
        if (Sjis::encodedLength(Paths::join(programFolder, QString::fromLatin1(name))) > IniFile::MaxValueBytes)
            return false;
    return true;
}

StartupSequence::Outcome StartupSequence::run()
{
    m_lock = std::make_unique<InstanceLock>(m_programFolder);
    if (!m_lock->tryAcquire()) {
        m_services.msgBox.show({QStringLiteral("既に起動されています"), appTitle(), MsgIcon::Stop, MsgButtons::Ok});
        m_lock.reset();
        return Outcome::AlreadyRunning;
    }

    // A default path cut to fit its record would point somewhere else: refuse
    // the folder instead.
    if (!folderFits(m_programFolder)) {
        m_services.msgBox.show({QStringLiteral("プログラムフォルダのパスが長すぎるため起動できません。\n"
                                               "パスが124バイト以内に収まるフォルダにPorluneを置いてください。\n")
                                    + m_programFolder,
                                appTitle(), MsgIcon::Stop, MsgButtons::Ok});
        return Outcome::FolderRefused;
    }

    m_context = std::make_unique<AppContext>(m_programFolder, m_services);
    m_context->iniFile().Inifile_Read();

    if (!FtpSetFile_Read(*m_context))
        return Outcome::FtpListMalformed;

    for (const QString& name : messageFolders()) {
        const QString dir = m_context->programPath(name);
        if (!Fs::isDir(dir))
            Fs::makeDir(dir);
    }
    return Outcome::ShowMain;
}
