#include "editors/ListEditorWindow.h"

#include "board/MainHost.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"
#include "startup/Settings.h"
#include "startup/SharedRoutines.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>

ListEditorWindow::ListEditorWindow(AppContext& ctx, MainHost& main, ListEditorSetup setup)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main), m_setup(std::move(setup)),
      m_core(m_setup.tableRows, m_setup.addLimit)
{
    setObjectName(QString::fromLatin1(m_setup.objectName));
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
    file->setObjectName(QStringLiteral("mnuFile"));
    auto item = [&](const QString& caption, const char* name) {
        QAction* a = file->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    connect(item(m_setup.menuNew, "mnuNewFile"), &QAction::triggered, this, &ListEditorWindow::mnuNewFile_Click);
    connect(item(m_setup.menuOpen, "mnuFileOpen"), &QAction::triggered, this, &ListEditorWindow::mnuFileOpen_Click);
    file->addSeparator();
    mnuUSave = item(m_setup.menuUSave, "mnuUSave");
    connect(mnuUSave, &QAction::triggered, this, &ListEditorWindow::mnuUSave_Click);
    connect(item(m_setup.menuNSave, "mnuNSave"), &QAction::triggered, this, &ListEditorWindow::mnuNSave_Click);
    QAction* help = bar->addAction(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(help, &QAction::triggered, this, [this] { m_main.showHelp(m_setup.helpContext); });

    m_inputs = new QVBoxLayout;
    lstName = new QListWidget(this);
    lstName->setObjectName(QStringLiteral("lstName"));
    m_buttons = new QVBoxLayout;
    cmdAdd = addButton("cmdAdd", QStringLiteral("追加"));
    cmdChange = addButton("cmdChange", QStringLiteral("変更"));
    cmdDel = addButton("cmdDel", QStringLiteral("削除"));
    cmdUp = addButton("cmdUp", QStringLiteral("↑"));
    cmdDown = addButton("cmdDown", QStringLiteral("↓"));
    connect(cmdAdd, &QPushButton::clicked, this, &ListEditorWindow::cmdAdd_Click);
    connect(cmdChange, &QPushButton::clicked, this, &ListEditorWindow::cmdChange_Click);
    connect(cmdDel, &QPushButton::clicked, this, &ListEditorWindow::cmdDel_Click);
    connect(cmdUp, &QPushButton::clicked, this, &ListEditorWindow::cmdUp_Click);
    connect(cmdDown, &QPushButton::clicked, this, &ListEditorWindow::cmdDown_Click);
    connect(lstName, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != m_core.selected())
            lstName_Click(row);
    });

    auto* middle = new QHBoxLayout;
    middle->addWidget(lstName, 1);
    middle->addLayout(m_buttons);
    auto* v = new QVBoxLayout(this);
    v->setMenuBar(bar);
    v->addLayout(m_inputs);
    v->addLayout(middle, 1);

    m_fileName = m_setup.defaultName;
    m_filePath = m_ctx.programPath(m_fileName);
}

QPushButton* ListEditorWindow::addButton(const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    // Enter belongs to the boxes (it moves on), never to a button.
    b->setAutoDefault(false);
    m_buttons->addWidget(b);
    return b;
}

void ListEditorWindow::finish()
{
    m_buttons->addStretch(1);
    for (QLineEdit* e : findChildren<QLineEdit*>())
        connect(e, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    mnuUSave->setEnabled(false);
    setCaption();
    refresh();
    resize(520, 440);
}

void ListEditorWindow::setCaption()
{
    if (!m_hasFile && !m_setup.captionNamesNewFile)
        setWindowTitle(m_setup.caption);
    else
        setWindowTitle(m_setup.caption + QStringLiteral(" - ") + m_fileName);
}

void ListEditorWindow::refresh()
{
    {
        const QSignalBlocker block(lstName);
        lstName->clear();
        for (const QStringList& row : m_core.rows())
            lstName->addItem(lineText(row));
        lstName->setCurrentRow(m_core.selected());
    }
    const int sel = m_core.selected();
    cmdAdd->setEnabled(m_core.canAdd());
    cmdDel->setEnabled(m_core.canDelete());
    cmdChange->setEnabled(sel >= 0 && rowChangeable(m_core.rows()[sel]));
    cmdUp->setEnabled(m_core.canMoveUp());
    cmdDown->setEnabled(m_core.canMoveDown());
    if (sel >= 0)
        showRow(m_core.rows()[sel]);
}

void ListEditorWindow::lstName_Click(int row)
{
    m_core.select(row);
    refresh();
}

void ListEditorWindow::appendRow(const QStringList& row)
{
    if (!m_core.add(row))
        return;
    refresh();
    firstInput()->setFocus();
}

void ListEditorWindow::cmdAdd_Click()
{
    if (!m_core.canAdd())
        return;
    const std::optional<QStringList> row = rowFromInputs(nullptr);
    if (!row)
        return;
    if (const QString bad = ListEditorRules::badCharacterMessage(*row); !bad.isEmpty()) {
        m_ctx.msgBox().stop(bad, QStringLiteral("入力エラー"));
        return;
    }
    appendRow(*row);
}

void ListEditorWindow::cmdChange_Click()
{
    const int sel = m_core.selected();
    if (sel < 0)
        return;
    const QStringList selected = m_core.rows()[sel];
    const std::optional<QStringList> row = rowFromInputs(&selected);
    if (!row)
        return;
    if (const QString bad = ListEditorRules::badCharacterMessage(*row); !bad.isEmpty()) {
        m_ctx.msgBox().stop(bad, QStringLiteral("入力エラー"));
        return;
    }
    m_core.change(*row);
    refresh();
    firstInput()->setFocus();
}

void ListEditorWindow::cmdDel_Click()
{
    if (m_core.remove())
        refresh();
}

void ListEditorWindow::cmdUp_Click()
{
    if (m_core.moveUp())
        refresh();
}

void ListEditorWindow::cmdDown_Click()
{
    if (m_core.moveDown())
        refresh();
}

QLabel* ListEditorWindow::addPlaceRow(QGridLayout* grid, int row, const QString& caption, const QString& initialName)
{
    m_place = new QLabel(this);
    m_place->setObjectName(QStringLiteral("lblKeijiban"));
    m_place->setFrameShape(QFrame::Panel);
    m_place->setFrameShadow(QFrame::Sunken);
    m_placeStart = initialName;
    auto* cmdPlace = new QPushButton(QStringLiteral("指定"), this);
    cmdPlace->setObjectName(QStringLiteral("cmdPlace"));
    cmdPlace->setAutoDefault(false);
    connect(cmdPlace, &QPushButton::clicked, this, &ListEditorWindow::cmdPlace_Click);
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(m_place, row, 1);
    grid->addWidget(cmdPlace, row, 2);
    return m_place;
}

void ListEditorWindow::cmdPlace_Click()
{
    if (!m_place)
        return;
    const QString path = m_ctx.fileDialog().openFileName(this, QStringLiteral("掲示板ファイルの指定"),
                                                         m_ctx.programPath(m_placeStart),
                                                         toQtFilter(QStringLiteral("掲示板ファイル(*.iki)|*.iki")));
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        m_ctx.msgBox().stop(QStringLiteral("指定されたファイルは存在しませんでした"), QStringLiteral("ファイルがありません"));
        return;
    }
    m_place->setText(path);
}

QString ListEditorWindow::openFolder() const
{
    return m_ctx.programPath(QString());
}

bool ListEditorWindow::nameAllowed(const QString& path)
{
    if (ListEditorRules::fileNameAllowed(path, m_setup.requiredName))
        return true;
    m_ctx.msgBox().stop(QStringLiteral("ファイル名には必ず「%1」を指定して下さい").arg(m_setup.requiredName),
                        QStringLiteral("ファイル名指定エラー"));
    return false;
}

QString ListEditorWindow::chooseSavePath(const QString& filter)
{
    const QString path = m_ctx.fileDialog().fileNameToUse(this, m_setup.saveTitle, m_ctx.programPath(m_fileName),
                                                          toQtFilter(filter));
    if (path.isEmpty() || !nameAllowed(path))
        return {};
    if (QFileInfo::exists(path)
        && m_ctx.msgBox().show({QStringLiteral("同名のファイルが存在します\n上書きしてもよろしいですか？"),
                                QStringLiteral("上書きの確認"), MsgIcon::Question, MsgButtons::YesNo, 1, true})
               != MsgResult::Yes)
        return {};
    return path;
}

bool ListEditorWindow::save(const QString& path)
{
    if (!confirmWrite(path) || !writeFile(path))
        return false; // a failed write is no save: still modified, the old time kept
    m_core.markSaved(m_setup.keyField);
    takeFile(path);
    if (m_setup.inUseSetting > 0
        && EditedListFiles::sameFile(path, m_ctx.settings().text(m_setup.inUseSetting)))
        m_ctx.msgBox().show({QStringLiteral("現在使用中の%1が上書きされました。\nPorluneを再起動してください")
                                 .arg(m_setup.inUseWhat),
                             appTitle(), MsgIcon::Exclamation, MsgButtons::Ok, 0, true});
    return true;
}

void ListEditorWindow::takeFile(const QString& path)
{
    m_filePath = path;
    m_fileName = QFileInfo(path).fileName();
    m_hasFile = true;
    m_stamp.take(path);
    mnuUSave->setEnabled(true);
    setCaption();
}

bool ListEditorWindow::promptUnsaved(bool fromNew)
{
    if (!m_core.modified())
        return true;
    if (!m_hasFile) {
        m_fileName = m_setup.defaultName;
        m_filePath = m_ctx.programPath(m_fileName);
    }
    const MsgResult answer = m_ctx.msgBox().show(
        {QStringLiteral("\"%1\"は変更されています。保存しますか？").arg(m_fileName), appTitle(),
         MsgIcon::Exclamation, MsgButtons::YesNoCancel, 0, false});
    if (answer == MsgResult::Cancel)
        return false;
    if (answer == MsgResult::No)
        return true;
    QString path = m_filePath;
    if (!m_hasFile) {
        path = chooseSavePath(fromNew && !m_setup.newPromptFilter.isEmpty() ? m_setup.newPromptFilter
                                                                            : m_setup.filter);
        if (path.isEmpty())
            return false;
    } else if (m_stamp.changedSince()
               && m_ctx.msgBox().show({m_filePath + QStringLiteral("\nの内容は作業中に更新されましたが、上書きしてもよろしいですか？"),
                                       QStringLiteral("上書きの確認"), MsgIcon::Stop, MsgButtons::YesNo, 1, true})
                      != MsgResult::Yes) {
        return false;
    }
    // Unsaved work is never dropped because its save failed.
    return save(path);
}

void ListEditorWindow::mnuNewFile_Click()
{
    if (!promptUnsaved(true))
        return;
    m_core.load({}, m_setup.keyField);
    m_fileName = m_setup.defaultName;
    m_filePath = m_ctx.programPath(m_fileName);
    m_hasFile = false;
    m_stamp.clear();
    mnuUSave->setEnabled(false);
    setCaption();
    newList();
    refresh();
}

void ListEditorWindow::mnuFileOpen_Click()
{
    if (!promptUnsaved(false))
        return;
    const QString path = m_ctx.fileDialog().openFileName(this, m_setup.openTitle, openFolder(),
                                                         toQtFilter(m_setup.filter));
    if (path.isEmpty() || !nameAllowed(path))
        return;
    const EditedListRead read = readFile(path);
    switch (read.status) {
    case EditedListRead::Ok:
        break;
    case EditedListRead::Missing:
        reportFileError(m_ctx.msgBox(), QStringLiteral("(%1_mnuFileOpen_Click").arg(objectName()), path,
                        FileErrorKind::Open, ENOENT);
        return;
    case EditedListRead::Malformed:
    case EditedListRead::TooLong:
        if (read.error != 0)
            reportFileError(m_ctx.msgBox(), QStringLiteral("(%1_mnuFileOpen_Click").arg(objectName()), path,
                            FileErrorKind::Open, read.error);
        else
            m_ctx.msgBox().show({m_setup.readError, m_setup.readErrorTitle, MsgIcon::Stop, MsgButtons::Ok});
        return;
    }
    m_core.load(read.rows, m_setup.keyField);
    takeFile(path);
    refresh();
    raise();
    activateWindow();
}

void ListEditorWindow::mnuUSave_Click()
{
    if (!m_hasFile)
        return;
    const bool changed = m_stamp.changedSince();
    const QString text = changed ? QStringLiteral("\nの内容は作業中に更新されましたが、上書きしてもよろしいですか？")
                                 : QStringLiteral("\nを上書きしてもよろしいですか？");
    if (m_ctx.msgBox().show({m_filePath + text, QStringLiteral("上書きの確認"),
                             changed ? MsgIcon::Stop : MsgIcon::Question, MsgButtons::YesNo, 1, true})
        != MsgResult::Yes)
        return;
    save(m_filePath);
}

void ListEditorWindow::mnuNSave_Click()
{
    if (!m_hasFile) {
        m_fileName = m_setup.defaultName;
        m_filePath = m_ctx.programPath(m_fileName);
    }
    const QString path = chooseSavePath(m_setup.filter);
    if (!path.isEmpty())
        save(path);
}

void ListEditorWindow::reject()
{
    // Closing with unsaved changes asks as New and Open do.
    if (!promptUnsaved(false))
        return;
    QDialog::reject();
}
