#include "messaging/PendingListWindow.h"

#include "board/MainHost.h"
#include "messaging/frmMessage2.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "startup/AppContext.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

PendingListWindow::PendingListWindow(AppContext& ctx, MainHost& main, const QString& objectName,
                                     const QString& caption, const QString& header, int helpContext)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lstHeader = new QListWidget(this);
    lstHeader->setObjectName(QStringLiteral("lstHeader"));
    lstHeader->setFont(fixed);
    lstHeader->addItem(header);
    lstHeader->setSelectionMode(QAbstractItemView::NoSelection);
    lstHeader->setFixedHeight(lstHeader->sizeHintForRow(0) + 2 * lstHeader->frameWidth() + 4);
    lstReceive = new QListWidget(this);
    lstReceive->setObjectName(QStringLiteral("lstReceive"));
    lstReceive->setFont(fixed);
    lstReceive2 = new QListWidget(this);
    lstReceive2->setObjectName(QStringLiteral("lstReceive2"));
    lstReceive2->hide();
    cmdLook = new QPushButton(QStringLiteral("内容を見る"), this);
    cmdLook->setObjectName(QStringLiteral("cmdLook"));
    cmdDelete = new QPushButton(QStringLiteral("ﾘｽﾄから削除"), this);
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    cmdClose = new QPushButton(QStringLiteral("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* bar = new QMenuBar(this);
    QAction* help = bar->addAction(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(help, &QAction::triggered, this, [this, helpContext] { m_main.showHelp(helpContext); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdLook);
    buttons->addWidget(cmdDelete);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* v = new QVBoxLayout(this);
    v->setMenuBar(bar);
    v->addWidget(lstHeader);
    v->addWidget(lstReceive, 1);
    v->addLayout(buttons);
    resize(440, 300);

    connect(cmdLook, &QPushButton::clicked, this, &PendingListWindow::cmdLook_Click);
    connect(lstReceive, &QListWidget::itemDoubleClicked, this, &PendingListWindow::cmdLook_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &PendingListWindow::cmdDelete_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void PendingListWindow::fill()
{
    lstReceive->clear();
    lstReceive2->clear();
    m_entries = entries();
    for (const PendingLists::Entry& e : m_entries) {
        lstReceive->addItem(e.line);
        lstReceive2->addItem(e.hiddenLine());
    }
}

QStringList PendingListWindow::lines() const
{
    QStringList out;
    for (int k = 0; k < lstReceive->count(); ++k)
        out.append(lstReceive->item(k)->text());
    return out;
}

void PendingListWindow::cmdLook_Click()
{
    const int row = lstReceive->currentRow();
    if (row < 0 || row >= m_entries.size()) {
        m_ctx.msgBox().stop(QStringLiteral("表示したいメッセージを選択してください"),
                            QStringLiteral("メッセージが選択されていません"));
        return;
    }
    const PendingLists::Entry& e = m_entries[row];
    QString text;
    if (!PendingLists::textOf(Paths::join(folder(), e.fileName), &text)) {
        m_ctx.msgBox().stop(QStringLiteral("このメッセージはもうありません"), QStringLiteral("メッセージが見つかりません"));
        fill();
        return;
    }
    frmMessage2 look(m_ctx, this, lookCaption(e), text);
    look.exec();
}

void PendingListWindow::cmdDelete_Click()
{
    const int row = lstReceive->currentRow();
    if (row < 0 || row >= m_entries.size()) {
        m_ctx.msgBox().stop(QStringLiteral("削除したいリストを選択してください"),
                            QStringLiteral("削除したいリストが選択されていません"));
        return;
    }
    const QString path = Paths::join(folder(), m_entries[row].fileName);
    const bool gone = !Fs::exists(path);
    if (!gone)
        Fs::remove(path);
    fill();
    afterDelete(gone);
}
