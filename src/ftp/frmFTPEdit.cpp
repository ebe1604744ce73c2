#include "ftp/frmFTPEdit.h"

#include "platform/MessageBox.h"
#include "startup/AppContext.h"
#include "startup/Settings.h"
#include "startup/SharedRoutines.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

ListEditorSetup setup()
{
    ListEditorSetup s;
    s.objectName = "frmFTPEdit";
    s.caption = QStringLiteral("FTPリストエディタ");
    s.captionNamesNewFile = false;
    s.defaultName = QStringLiteral("ftpset.txt");
    s.requiredName = QStringLiteral("ftpset.txt");
    s.menuNew = QStringLiteral("新規FTPリスト作成");
    s.menuOpen = QStringLiteral("FTPリストを開く");
    s.menuUSave = QStringLiteral("FTPリストの上書き保存");
    s.menuNSave = QStringLiteral("FTPリストに名前を付けて保存");
    s.openTitle = QStringLiteral("FTPリストを開く");
    s.saveTitle = QStringLiteral("FTPリストを保存");
    s.filter = QStringLiteral("FTPリスト（ftpset.txt）|ftpset.txt");
    s.readError = QStringLiteral("FTPリストに異常があります");
    s.readErrorTitle = QStringLiteral("FTPリストアクセスエラー");
    s.helpContext = 59;
    s.tableRows = EditedListFiles::FtpEntries;
    s.addLimit = EditedListFiles::FtpEntriesMade;
    s.keyField = 1;
    s.inUseSetting = SettingNo::FtpList;
    s.inUseWhat = QStringLiteral("FTPリスト");
    return s;
}

QString directionText(const QString& upDown)
{
    return upDown.toInt() == 0 ? QStringLiteral("←アップ") : QStringLiteral("ダウン→");
}

} // namespace

frmFTPEdit::frmFTPEdit(AppContext& ctx, MainHost& main)
    : ListEditorWindow(ctx, main, setup())
{
    auto* grid = new QGridLayout;
    auto box = [&](const char* name, const QString& label, int row) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(e, row, 1, 1, 2);
        return e;
    };
    txtServerName = box("txtServerName", QStringLiteral("FTPサーバ名"), 0);
    txtServerPath = box("txtServerPath", QStringLiteral("FTPサーバのパスとファイル名"), 1);
    txtUserName = box("txtUserName", QStringLiteral("FTPユーザ名"), 2);
    txtPass = box("txtPass", QStringLiteral("FTPパスワード"), 3);
    // Kept in the file as typed; only the screen hides it.
    txtPass->setEchoMode(QLineEdit::Password);
    txtPass->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    lblKeijiban = addPlaceRow(grid, 4, QStringLiteral("掲示板ファイルのパスとファイル名"), QString());
    const QString options[2] = {QStringLiteral("サーバにファイルをアップロード"),
                                QStringLiteral("サーバからファイルをダウンロード")};
    for (int k = 0; k < 2; ++k) {
        optUpDown[k] = new QRadioButton(options[k], this);
        optUpDown[k]->setObjectName(QStringLiteral("optUpDown%1").arg(k));
        grid->addWidget(optUpDown[k], 5 + k, 0, 1, 3);
    }
    optUpDown[0]->setChecked(true);
    grid->setColumnStretch(1, 1);
    inputs()->addLayout(grid);
    // Long paths scroll sideways.
    lstName->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    finish();
    txtServerName->setFocus();
}

QString frmFTPEdit::lineText(const QStringList& row) const
{
    return row.value(1) + u' ' + directionText(row.value(0)) + u' ' + row.value(5);
}

QWidget* frmFTPEdit::firstInput() const
{
    return txtServerName;
}

void frmFTPEdit::showRow(const QStringList& row)
{
    txtServerName->setText(row.value(1));
    txtServerPath->setText(row.value(2));
    txtUserName->setText(row.value(3));
    txtPass->setText(row.value(4));
    optUpDown[row.value(0).toInt() != 0 ? 1 : 0]->setChecked(true);
    lblKeijiban->setText(row.value(5));
}

void frmFTPEdit::newList()
{
    for (QLineEdit* e : {txtServerName, txtServerPath, txtUserName, txtPass})
        e->clear();
    lblKeijiban->clear();
}

std::optional<QStringList> frmFTPEdit::rowFromInputs(const QStringList*)
{
    struct Check {
        QLineEdit* box;
        const char* text;
        const char* title;
    };
    const Check checks[] = {
        {txtServerName, "FTPサーバ名を入力してください", "FTPサーバ名入力エラー"},
        {txtServerPath, "FTPサーバのパスを入力してください", "FTPサーバのパス入力エラー"},
        {txtUserName, "FTPユーザ名を入力してください", "FTPユーザ名入力エラー"},
        {txtPass, "FTPパスワードを入力してください", "FTPパスワード入力エラー"},
    };
    for (const Check& c : checks) {
        if (c.box->text().trimmed().isEmpty()) {
            m_ctx.msgBox().stop(QString::fromUtf8(c.text), QString::fromUtf8(c.title));
            c.box->setFocus();
            return std::nullopt;
        }
    }
    if (lblKeijiban->text().trimmed().isEmpty()) {
        m_ctx.msgBox().stop(QStringLiteral("掲示板ファイルのパスを指定してください"), QStringLiteral("掲示板パス名指定エラー"));
        return std::nullopt;
    }
    return QStringList {optUpDown[0]->isChecked() ? QStringLiteral("0") : QStringLiteral("1"),
                        txtServerName->text().trimmed(),
                        txtServerPath->text().trimmed(),
                        txtUserName->text().trimmed(),
                        txtPass->text().trimmed(),
                        lblKeijiban->text().trimmed()};
}

EditedListRead frmFTPEdit::readFile(const QString& path)
{
    return EditedListFiles::readFtpList(path);
}

bool frmFTPEdit::writeFile(const QString& path)
{
    if (const int err = EditedListFiles::writeFtpList(path, m_core.rows())) {
        reportFileError(m_ctx.msgBox(), QStringLiteral("(FtpSetFile_Write)"), path, FileErrorKind::Open, err);
        return false;
    }
    return true;
}

QString frmFTPEdit::openFolder() const
{
    const QString first = m_core.rows().value(0).value(5);
    if (first.isEmpty())
        return ListEditorWindow::openFolder();
    return QFileInfo(first).absolutePath();
}
