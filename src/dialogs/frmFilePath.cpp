#include "dialogs/frmFilePath.h"

#include "board/MainHost.h"
#include "dialogs/FilePathRows.h"
#include "platform/FileDialog.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

frmFilePath::frmFilePath(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmFilePath"));
    setWindowTitle(QStringLiteral("共有ファイルの場所の設定"));
    auto* grid = new QGridLayout(this);
    const auto mail = FilePathRows::add(grid, 0, QStringLiteral("メッセージの置き場所"), "cmdMail", "lblMail");
    const auto ban = FilePathRows::add(grid, 1, QStringLiteral("掲示板リストの場所"), "cmdKeijiban", "lblKeijiban");
    const auto modori = FilePathRows::add(grid, 2, QStringLiteral("戻りリストの場所"), "cmdModori", "lblModori");
    const auto ikisaki = FilePathRows::add(grid, 3, QStringLiteral("行き先リストの場所"), "cmdIkisaki", "lblIkisaki");
    QPushButton* help = FilePathRows::addCloseAndHelp(this, grid, 4);
    lblMail = mail.path;
    lblKeijiban = ban.path;
    lblModori = modori.path;
    lblIkisaki = ikisaki.path;

    const Settings& s = ctx.settings();
    lblMail->setText(s.text(29));
    lblKeijiban->setText(s.text(19));
    lblModori->setText(s.text(21));
    lblIkisaki->setText(s.text(20));

    connect(mail.button, &QPushButton::clicked, this, &frmFilePath::cmdMail_Click);
    connect(ban.button, &QPushButton::clicked, this, &frmFilePath::cmdKeijiban_Click);
    connect(modori.button, &QPushButton::clicked, this, &frmFilePath::cmdModori_Click);
    connect(ikisaki.button, &QPushButton::clicked, this, &frmFilePath::cmdIkisaki_Click);
    connect(help, &QPushButton::clicked, this, [this] { m_main.showHelp(19); });
}

QString frmFilePath::initialFolder(const QString& current) const
{
    if (FileExists(current) == -1)
        return FilePathRows::folderOf(current);
    const QString banList = m_ctx.settings().text(19);
    if (!banList.isEmpty())
        return FilePathRows::folderOf(banList);
    return m_ctx.programFolder();
}

bool frmFilePath::chooseSharedList(int setting, QLabel* label, const QString& fileName, const QString& title,
                                   const QString& filter)
{
    const QString start = Paths::join(initialFolder(m_ctx.settings().text(setting)), fileName);
    const QString chosen = m_ctx.fileDialog().openFileName(this, title, start, toQtFilter(filter));
    if (chosen.isEmpty())
        return false;
    if (FileExists(chosen) == 0) {
        m_ctx.msgBox().stop(QStringLiteral("指定されたファイルは存在しませんでした"), QStringLiteral("ファイルがありません"));
        return false;
    }
    // A path the settings file cannot hold would point elsewhere at the next start.
    if (!m_ctx.iniFile().checkStorable(trimBlanks(chosen)))
        return false;
    label->setText(chosen);
    m_ctx.iniFile().store(setting, trimBlanks(chosen));
    return true;
}

void frmFilePath::cmdKeijiban_Click()
{
    if (chooseSharedList(19, lblKeijiban, QStringLiteral("ban.txt"), QStringLiteral("掲示板リストの指定"),
                         QStringLiteral("掲示板リスト(ban.txt)|ban.txt")))
        m_main.reloadBoards();
}

void frmFilePath::cmdModori_Click()
{
    if (chooseSharedList(21, lblModori, QStringLiteral("return.txt"), QStringLiteral("共通戻りファイルの指定"),
                         QStringLiteral("戻りファイル(return.txt)|return.txt")))
        m_main.reloadReturns();
}

void frmFilePath::cmdIkisaki_Click()
{
    if (chooseSharedList(20, lblIkisaki, QStringLiteral("where.txt"), QStringLiteral("共通行き先ファイルの指定"),
                         QStringLiteral("行き先ファイル(where.txt)|where.txt")))
        m_main.reloadDestinations();
}

void frmFilePath::cmdMail_Click()
{
    // A folder picker stands in for the file dialog the folder was taken from.
    const QString current = m_ctx.settings().text(29);
    const QString start = Fs::isDir(current) ? current : m_ctx.programFolder();
    QString folder = m_ctx.fileDialog().existingDirectory(this, QStringLiteral("メッセージの置き場所の指定"), start);
    if (folder.isEmpty())
        return;
    while (folder.size() > 1 && folder.endsWith(Paths::separator))
        folder.chop(1);
    if (!m_ctx.iniFile().checkStorable(folder))
        return;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical == QFileInfo(m_ctx.programFolder()).canonicalFilePath() || folder == m_ctx.programFolder()) {
        m_ctx.msgBox().stop(QStringLiteral("Porluneのインストール先と同じフォルダは選択出来ません"),
                            QStringLiteral("フォルダ指定エラー"));
        folder.clear();
    }
    lblMail->setText(folder);
    m_ctx.iniFile().store(29, folder);
}
