#include "dialogs/frmKLEdit.h"

#include "board/BoardState.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"
#include "startup/Settings.h"
#include "startup/SharedRoutines.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

ListEditorSetup setup()
{
    ListEditorSetup s;
    s.objectName = "frmKLEdit";
    s.caption = QStringLiteral("掲示板リストエディタ");
    s.captionNamesNewFile = true;
    s.defaultName = QStringLiteral("ban.txt");
    s.requiredName = QStringLiteral("ban.txt");
    s.menuNew = QStringLiteral("新規掲示板リスト作成");
    s.menuOpen = QStringLiteral("掲示板リストを開く");
    s.menuUSave = QStringLiteral("掲示板リストの上書き保存");
    s.menuNSave = QStringLiteral("掲示板リストに名前を付けて保存");
    s.openTitle = QStringLiteral("掲示板リストを開く");
    s.saveTitle = QStringLiteral("掲示板リストを保存");
    s.filter = QStringLiteral("掲示板リスト（ban.txt）|ban.txt");
    s.readError = QStringLiteral("掲示板リストに異常があります");
    s.readErrorTitle = QStringLiteral("掲示板リストアクセスエラー");
    s.helpContext = 46;
    s.tableRows = EditedListFiles::BoardListLines;
    s.addLimit = EditedListFiles::BoardListMade;
    s.keyField = 0; // the board number read: what users' settings point at
    s.inUseSetting = SettingNo::BoardList;
    s.inUseWhat = QStringLiteral("掲示板リスト");
    return s;
}

} // namespace

frmKLEdit::frmKLEdit(AppContext& ctx, MainHost& main)
    : ListEditorWindow(ctx, main, setup())
{
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("掲示板グループ名"), this), 0, 0);
    grid->addWidget(txtName, 0, 1, 1, 2);
    lblKeijiban = addPlaceRow(grid, 1, QStringLiteral("掲示板ファイルのパス"), QStringLiteral("ban.txt"));
    grid->setColumnStretch(1, 1);
    inputs()->addLayout(grid);
    finish();
    txtName->setFocus();
}

QString frmKLEdit::lineText(const QStringList& row) const
{
    return row.value(1) + u'(' + row.value(2) + u')';
}

QWidget* frmKLEdit::firstInput() const
{
    return txtName;
}

void frmKLEdit::showRow(const QStringList& row)
{
    txtName->setText(row.value(1));
    lblKeijiban->setText(row.value(2));
}

std::optional<QStringList> frmKLEdit::rowFromInputs(const QStringList* selected)
{
    const QString name = txtName->text().trimmed();
    if (name.isEmpty()) {
        m_ctx.msgBox().stop(QStringLiteral("掲示板グループ名を入力してください"), QStringLiteral("掲示板グループ名入力エラー"));
        txtName->setFocus();
        return std::nullopt;
    }
    if (lblKeijiban->text().isEmpty()) {
        m_ctx.msgBox().stop(QStringLiteral("掲示板ファイルのパスを指定してください"), QStringLiteral("掲示板パス名指定エラー"));
        return std::nullopt;
    }
    // A changed line keeps its number until the save renumbers the list.
    const QString number = selected ? selected->value(0) : QString::number(m_core.count() + 1);
    return QStringList {number, name, lblKeijiban->text()};
}

EditedListRead frmKLEdit::readFile(const QString& path)
{
    EditedListRead r = EditedListFiles::readBoardList(path);
    if (r.status == EditedListRead::Ok)
        m_opened = r.rows;
    return r;
}

bool frmKLEdit::confirmWrite(const QString&)
{
    QStringList origins;
    for (int i = 0; i < m_core.count(); ++i)
        origins << m_core.originOf(i);
    const QStringList moved = ListEditorRules::boardNumberChanges(m_opened, origins);
    if (moved.isEmpty())
        return true;
    // Users choose their boards by number: these groups would appear to
    // them in place of others.
    return m_ctx.msgBox().show({QStringLiteral("次のグループの掲示板番号が変わります。各ユーザーの掲示板の選択が別のグループを指すことになります。\n%1\n保存してもよろしいですか？")
                                    .arg(moved.join(u'\n')),
                                QStringLiteral("掲示板番号の確認"), MsgIcon::Exclamation, MsgButtons::YesNo, 1, true})
           == MsgResult::Yes;
}

bool frmKLEdit::writeFile(const QString& path)
{
    bool failedOpening = false;
    if (const int err = EditedListFiles::writeBoardList(path, m_core.rows(), &failedOpening)) {
        reportFileError(m_ctx.msgBox(), QStringLiteral("(Banfile_Write)"), path,
                        failedOpening ? FileErrorKind::Open : FileErrorKind::Write, err);
        return false;
    }
    // The file is numbered by line now; so are the rows and what they mean.
    QList<QStringList> rows = m_core.rows();
    for (int i = 0; i < rows.size(); ++i)
        rows[i][0] = QString::number(i + 1);
    const int sel = m_core.selected();
    m_core.load(rows, 0);
    m_core.select(sel);
    m_opened = rows;
    return true;
}

QString frmKLEdit::openFolder() const
{
    const QString inUse = m_ctx.settings().text(SettingNo::BoardList);
    if (inUse.isEmpty())
        return ListEditorWindow::openFolder();
    return QFileInfo(inUse).absolutePath();
}
