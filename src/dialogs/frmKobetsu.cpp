#include "dialogs/frmKobetsu.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "dialogs/PersonalListFile.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

frmKobetsu::frmKobetsu(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmKobetsu"));
    setWindowTitle(QStringLiteral("個別入力設定"));
    TabStrip1 = new QTabBar(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->addTab(QStringLiteral("行き先リスト編集"));
    TabStrip1->addTab(QStringLiteral("戻りリスト編集"));
    TabStrip1->addTab(QStringLiteral("定型文編集"));
    txtMemo = new QPlainTextEdit(this);
    txtMemo->setObjectName(QStringLiteral("txtMemo"));
    txtMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // No default button: Enter in the text box is a line break.
    const ButtonRow buttons = makeButtonRow(this, {{"cmdWrite", QStringLiteral("書き込む")},
                                                   {"cmdCancel", QStringLiteral("閉じる")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}},
                                            false);
    QPushButton *write = buttons[0], *close = buttons[1], *help = buttons[2];
    auto* v = new QVBoxLayout(this);
    v->addWidget(TabStrip1);
    v->addWidget(txtMemo, 1);
    v->addLayout(buttons.layout);
    resize(420, 360);

    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });
    connect(write, &QPushButton::clicked, this, &frmKobetsu::cmdWrite_Click);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { m_main.showHelp(13); });
    TabStrip1_Click();
}

QString frmKobetsu::fileOf(int tab) const
{
    static const char* names[] = {"where.ini", "return.ini", "template.ini"};
    return m_ctx.programPath(QString::fromLatin1(names[std::clamp(tab, 0, 2)]));
}

void frmKobetsu::TabStrip1_Click()
{
    txtMemo->clear();
    const QString path = fileOf(TabStrip1->currentIndex());
    QString text;
    m_loadError = PersonalListFile::load(path, &text);
    if (m_loadError) {
        reportFileError(m_ctx.msgBox(), QStringLiteral("(frmKobetsu_TabStrip1_Click"), path, FileErrorKind::Open,
                        m_loadError);
        return;
    }
    txtMemo->setPlainText(text);
}

void frmKobetsu::cmdWrite_Click()
{
    const int tab = TabStrip1->currentIndex();
    const QString path = fileOf(tab);
    if (m_loadError) {
        reportFileError(m_ctx.msgBox(), QStringLiteral("(frmKobetsu_cmdWrite_Click"), path, FileErrorKind::Open,
                        m_loadError);
        return;
    }
    bool failedOpening = false;
    if (const int err = PersonalListFile::save(path, txtMemo->toPlainText(), &failedOpening)) {
        reportFileError(m_ctx.msgBox(), QStringLiteral("(frmKobetsu_cmdWrite_Click"), path,
                        failedOpening ? FileErrorKind::Open : FileErrorKind::Write, err);
        return;
    }
    if (tab < 2)
        m_ctx.msgBox().show({QStringLiteral("書き込まれた内容は、次回起動時より反映されます"),
                             QStringLiteral("正しく登録されました"), MsgIcon::Information, MsgButtons::Ok, 0, true});
}
