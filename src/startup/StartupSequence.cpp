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

bool StartupSequence::folderEncodable(const QString& programFolder)
{
    // Round trip: a JIS form such as 〜 is stored as its code-page form, which
    // names another folder.
    return Sjis::decode(Sjis::encode(programFolder)) == programFolder;
}

StartupSequence::Outcome StartupSequence::run()
{
    m_lock = std::make_unique<InstanceLock>(m_programFolder);
    if (!m_lock->tryAcquire()) {
        m_services.msgBox.show({QStringLiteral("既に起動されています"), appTitle(), MsgIcon::Stop, MsgButtons::Ok});
        m_lock.reset();
        return Outcome::AlreadyRunning;
    }

    // A default path cut to fit its record, or stored with "?" for a letter
    // Shift-JIS lacks, would point somewhere else from the next start on:
    // refuse the folder instead.
    if (!folderEncodable(m_programFolder)) {
        m_services.msgBox.show({QStringLiteral("プログラムフォルダのパスにShift-JISで表せない文字が含まれるため起動できません。\n"
                                               "英数字と日本語だけのパスのフォルダにPorluneを置いてください。\n")
                                    + m_programFolder,
                                appTitle(), MsgIcon::Stop, MsgButtons::Ok});
        return Outcome::FolderRefused;
    }
    if (!folderFits(m_programFolder)) {
        m_services.msgBox.show({QStringLiteral("プログラムフォルダのパスが長すぎるため起動できません。\n"
                                               "パスが124バイト以内に収まるフォルダにPorluneを置いてください。\n")
                                    + m_programFolder,
                                appTitle(), MsgIcon::Stop, MsgButtons::Ok});
        return Outcome::FolderRefused;
    }

    m_context = std::make_unique<AppContext>(m_programFolder, m_services);
    // What went wrong while the last session ended, when nobody could see it.
    for (const MsgBoxRequest& r :
         DeferringMessageBox::takeDeferred(m_context->programPath(AppContext::kEndErrorsFile)))
        m_services.msgBox.show(r);
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
