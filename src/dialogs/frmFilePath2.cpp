#include "dialogs/frmFilePath2.h"

#include "board/MainHost.h"
#include "dialogs/FilePathRows.h"
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

frmFilePath2::frmFilePath2(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmFilePath2"));
    setWindowTitle(QStringLiteral("個別ファイルの場所の設定"));
    auto* grid = new QGridLayout(this);
    const auto ftp = FilePathRows::add(grid, 0, QStringLiteral("FTPリストの場所"), "cmdFTP", "lblFTP");
    const auto msg = FilePathRows::add(grid, 1, QStringLiteral("メッセージログの場所"), "cmdMsg", "lblMsg");
    const auto go = FilePathRows::add(grid, 2, QStringLiteral("行き先ログの場所"), "cmdIkisaki", "lblIkisaki");
    QPushButton* help = FilePathRows::addCloseAndHelp(this, grid, 3);
    lblFTP = ftp.path;
    lblMsg = msg.path;
    lblIkisaki = go.path;
    lblFTP->setText(ctx.settings().text(81));
    lblMsg->setText(ctx.settings().text(32));
    lblIkisaki->setText(ctx.settings().text(33));

    connect(ftp.button, &QPushButton::clicked, this, &frmFilePath2::cmdFTP_Click);
    connect(msg.button, &QPushButton::clicked, this, &frmFilePath2::cmdMsg_Click);
    connect(go.button, &QPushButton::clicked, this, &frmFilePath2::cmdIkisaki_Click);
    connect(help, &QPushButton::clicked, this, [this] { m_main.showHelp(20); });
}

void frmFilePath2::chooseOwnFile(int setting, QLabel* label, const QString& fileName, const QString& title,
                                 const QString& filter, const QString& procedure)
{
    const QString current = m_ctx.settings().text(setting);
    const QString folder = FileExists(current) == -1 ? FilePathRows::folderOf(current) : m_ctx.programFolder();
    // Own files may not exist yet: the dialog takes a new name too.
    const QString chosen = m_ctx.fileDialog().fileNameToUse(this, title, Paths::join(folder, fileName),
                                                            toQtFilter(filter));
    if (chosen.isEmpty())
        return;
    // A path the settings file cannot hold would point elsewhere at the next start.
    if (!m_ctx.iniFile().checkStorable(trimBlanks(chosen)))
        return;
    if (!Fs::isFile(chosen)) {
        // Appending nothing creates the file and never empties one that appeared meanwhile.
        if (const int err = Fs::appendBytes(chosen, QByteArray())) {
            reportFileError(m_ctx.msgBox(), procedure, chosen, FileErrorKind::Open, err);
            return;
        }
    }
    label->setText(chosen);
    m_ctx.iniFile().store(setting, trimBlanks(label->text()));
}

void frmFilePath2::cmdFTP_Click()
{
    chooseOwnFile(81, lblFTP, QStringLiteral("ftpset.txt"), QStringLiteral("FTPリストファイルの指定"),
                  QStringLiteral("FTPリストファイル(ftpset.txt)|ftpset.txt"), QStringLiteral("(frmFilePath2_cmdFTP_Click)"));
}

void frmFilePath2::cmdMsg_Click()
{
    chooseOwnFile(32, lblMsg, QStringLiteral("msglog.txt"), QStringLiteral("メッセージログファイルの指定"),
                  QStringLiteral("メッセージログファイル(msglog.txt)|msglog.txt"),
                  QStringLiteral("(frmFilePath2_cmdMsg_Click)"));
}

void frmFilePath2::cmdIkisaki_Click()
{
    chooseOwnFile(33, lblIkisaki, QStringLiteral("golog.txt"), QStringLiteral("行き先ログファイルの指定"),
                  QStringLiteral("行き先ログファイル(golog.txt)|golog.txt"),
                  QStringLiteral("(frmFilePath2_cmdIkisaki_Click)"));
}
