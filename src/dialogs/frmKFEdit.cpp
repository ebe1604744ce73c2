#include "dialogs/frmKFEdit.h"

#include "board/BoardAccess.h"
#include "board/BoardRow.h"
#include "board/BoardState.h"
#include "editors/BoardEditSave.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kSeparator = QStringLiteral("区切り線");

ListEditorSetup setup()
{
    ListEditorSetup s;
    s.objectName = "frmKFEdit";
    s.caption = QStringLiteral("掲示板ファイルエディタ");
    s.captionNamesNewFile = true;
    s.defaultName = QStringLiteral("NewFile.iki");
    s.menuNew = QStringLiteral("新規掲示板ファイル作成");
    s.menuOpen = QStringLiteral("掲示板ファイルを開く");
    s.menuUSave = QStringLiteral("掲示板ファイルの上書き保存");
    s.menuNSave = QStringLiteral("掲示板ファイルに名前を付けて保存");
    s.openTitle = QStringLiteral("掲示板ファイルを開く");
    s.saveTitle = QStringLiteral("掲示板ファイルを保存");
    s.filter = QStringLiteral("掲示板ファイル（*.iki）|*.iki");
    s.newPromptFilter = QStringLiteral("行き先ファイル（*.iki）|*.iki");
    s.readError = QStringLiteral("掲示板ファイルに異常があります");
    s.readErrorTitle = QStringLiteral("掲示板アクセスエラー");
    s.helpContext = 45;
    s.tableRows = EditedListFiles::BoardRows;
    s.addLimit = EditedListFiles::BoardRows;
    s.keyField = 0;
    return s;
}

} // namespace

frmKFEdit::frmKFEdit(AppContext& ctx, MainHost& main)
    : ListEditorWindow(ctx, main, setup())
{
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名前"), txtName);
    inputs()->addLayout(form);
    cmdLine = addButton("cmdLine", kSeparator);
    connect(cmdLine, &QPushButton::clicked, this, &frmKFEdit::cmdLine_Click);
    finish();
    txtName->setFocus();
}

QString frmKFEdit::lineText(const QStringList& row) const
{
    return row.value(0);
}

bool frmKFEdit::rowChangeable(const QStringList& row) const
{
    return !BoardRow::fromFields(row).isSeparator();
}

QWidget* frmKFEdit::firstInput() const
{
    return txtName;
}

void frmKFEdit::showRow(const QStringList& row)
{
    txtName->setText(row.value(0));
}

std::optional<QStringList> frmKFEdit::rowFromInputs(const QStringList* selected)
{
    const QString name = txtName->text().trimmed();
    QString refusal;
    if (!ListEditorRules::isUsableName(name, kSeparator))
        refusal = QStringLiteral("この名前は使用できません");
    else if (m_core.indexOf(name) >= 0)
        refusal = QStringLiteral("同じ名前の人がリスト内にいます");
    if (!refusal.isEmpty()) {
        m_ctx.msgBox().stop(refusal, QStringLiteral("名前入力エラー"));
        txtName->setFocus();
        return std::nullopt;
    }
    if (selected) {
        QStringList row = *selected;
        row[0] = name; // a rename keeps the person's other fields
        return row;
    }
    BoardRow person;
    person.name = name;
    person.login = QStringLiteral("0");
    person.setTime = QStringLiteral("99:99 99/99");
    return person.fields();
}

void frmKFEdit::cmdLine_Click()
{
    BoardRow separator;
    separator.name = kSeparator;
    separator.login = QStringLiteral("9");
    appendRow(separator.fields());
}

EditedListRead frmKFEdit::readFile(const QString& path)
{
    return EditedListFiles::readBoard(path);
}

bool frmKFEdit::confirmWrite(const QString&)
{
    const int rows = m_core.count();
    if (rows <= BoardState::MaxRows)
        return true;
    // Every board shows 50 rows; the rest would be on no board at all.
    return m_ctx.msgBox().show({QStringLiteral("掲示板に表示されるのは%1行目までです。%2行目以降の%3行はどの掲示板にも表示されません。\n保存してもよろしいですか？")
                                    .arg(BoardState::MaxRows)
                                    .arg(BoardState::MaxRows + 1)
                                    .arg(rows - BoardState::MaxRows),
                                QStringLiteral("行数の確認"), MsgIcon::Exclamation, MsgButtons::YesNo, 1, true})
           == MsgResult::Yes;
}

bool frmKFEdit::writeFile(const QString& path)
{
    QList<BoardRow> rows;
    QStringList origins;
    for (int i = 0; i < m_core.count(); ++i) {
        rows << BoardRow::fromFields(m_core.rows()[i]);
        origins << m_core.originOf(i);
    }
    // Under the board's claim, with the whereabouts the file holds now.
    return saveEditedBoard(m_ctx, path, rows, origins) == CycleResult::Written;
}

QString frmKFEdit::openFolder() const
{
    const QString first = m_ctx.board().entries[0].path;
    if (first.isEmpty())
        return ListEditorWindow::openFolder();
    return QFileInfo(first).absolutePath();
}
