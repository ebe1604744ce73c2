#include "dialogs/frmKSettei.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "dialogs/GeneralSettings.h"
#include "platform/GlobalHotKey.h"
#include "platform/HotKeyEdit.h"
#include "platform/MessageBox.h"
#include "platform/SelectOnEntry.h"
#include "startup/AppContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 41;

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// An interval box with its unit and its two notes below.
QGroupBox* intervalGroup(QWidget* parent, const QString& title, QLineEdit* box, const QString& unit,
                         const QString& zeroNote, const QString& loadNote)
{
    auto* group = new QGroupBox(title, parent);
    auto* g = new QGridLayout(group);
    box->setMaximumWidth(70);
    g->addWidget(box, 0, 0);
    g->addWidget(new QLabel(unit, group), 0, 1);
    g->setColumnStretch(2, 1);
    g->addWidget(new QLabel(zeroNote, group), 1, 0, 1, 3);
    g->addWidget(new QLabel(loadNote, group), 2, 0, 1, 3);
    return group;
}
} // namespace

frmKSettei::frmKSettei(AppContext& ctx, MainHost& main) : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmKSettei"));
    setWindowTitle(QStringLiteral("基本設定"));

    txtUpTime = new QLineEdit(this);
    txtUpTime->setObjectName(QStringLiteral("txtUpTime"));
    txtFtpTime = new QLineEdit(this);
    txtFtpTime->setObjectName(QStringLiteral("txtFtpTime"));
    for (QLineEdit* box : {txtUpTime, txtFtpTime})
        selectAllOnEntry(box);
    chkfrmClose = checkBox(this, "chkfrmClose", QStringLiteral("×ボタンで終了せずに最小化する"));
    chkTaskBar = checkBox(this, "chkTaskBar", QStringLiteral("最小化時にタスクバーに表示しない"));
    chkFunction = checkBox(this, "chkFunction", QStringLiteral("ﾌｧﾝｸｼｮﾝｷｰで掲示板を切り替える"));
    chkESC = checkBox(this, "chkESC", QStringLiteral("ESCキーで最小化する"));
    chkListUp = checkBox(this, "chkListUp", QStringLiteral("最小化から元に戻したときリストを更新する"));
    chkActive = checkBox(this, "chkActive", QStringLiteral("ホットキーでウィンドウを開く"));
    chkGoLog = checkBox(this, "chkGoLog", QStringLiteral("行き先のログを取る"));
    picHotKey = new QWidget(this);
    picHotKey->setObjectName(QStringLiteral("picHotKey"));
    hotKeyEdit = new HotKeyEdit(picHotKey);
    hotKeyEdit->setObjectName(QStringLiteral("hotKeyEdit"));
    auto* pic = new QHBoxLayout(picHotKey);
    pic->setContentsMargins(0, 0, 0, 0);
    pic->addWidget(hotKeyEdit);

    auto* v = new QVBoxLayout(this);
    v->addWidget(intervalGroup(this, QStringLiteral("掲示板を更新する間隔"), txtUpTime, QStringLiteral("秒(0～9999)"),
                               QStringLiteral("時間を0秒にするとチェックをしません"),
                               QStringLiteral("間隔が短いと掲示板の置き場所に負荷がかかります")));
    v->addWidget(intervalGroup(this, QStringLiteral("掲示板をFTPする間隔"), txtFtpTime, QStringLiteral("分(0～499)"),
                               QStringLiteral("時間を0分にするとチェックをしません"),
                               QStringLiteral("間隔が短いとPCに負荷がかかります")));
    auto* window = new QGroupBox(this);
    auto* w = new QVBoxLayout(window);
    for (QCheckBox* box : {chkfrmClose, chkTaskBar, chkFunction, chkESC, chkListUp})
        w->addWidget(box);
    auto* hotKeyRow = new QHBoxLayout;
    hotKeyRow->addWidget(chkActive);
    hotKeyRow->addWidget(picHotKey, 1);
    w->addLayout(hotKeyRow);
    w->addWidget(chkGoLog);
    v->addWidget(window);

    const ButtonRow buttons = makeButtonRow(this, {{"cmdOk", QStringLiteral("OK")},
                                                   {"cmdCancel", QStringLiteral("CANCEL")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}});
    v->addLayout(buttons.layout);
    connect(buttons[0], &QPushButton::clicked, this, &frmKSettei::cmdOk_Click);
    connect(buttons[1], &QPushButton::clicked, this, &QDialog::reject);
    connect(buttons[2], &QPushButton::clicked, this, [this] { m_main.showHelp(kHelpContext); });
    // The key box means something only while the switch is on.
    connect(chkActive, &QCheckBox::toggled, picHotKey, &QWidget::setEnabled);

    // The hot key stays as it is registered until OK: opening the dialog and
    // cancelling it changes nothing.
    const GeneralSettings now = GeneralSettings::load(ctx.settings());
    txtUpTime->setText(QString::number(now.refreshSeconds));
    txtFtpTime->setText(QString::number(now.ftpMinutes));
    chkfrmClose->setChecked(now.closeMinimizes);
    chkTaskBar->setChecked(now.hideFromTaskBar);
    chkFunction->setChecked(now.functionKeys);
    chkESC->setChecked(now.escMinimizes);
    chkListUp->setChecked(now.refreshOnRestore);
    chkActive->setChecked(now.hotKeyOn);
    picHotKey->setEnabled(now.hotKeyOn);
    hotKeyEdit->setValue(now.hotKey);
    chkGoLog->setChecked(now.whereaboutsLog);
}

void frmKSettei::cmdOk_Click()
{
    auto refuse = [this](QLineEdit* box, const QString& text) {
        m_ctx.msgBox().stop(text, QStringLiteral("入力エラー"));
        box->setFocus();
        box->selectAll();
    };
    const std::optional<int> refresh = GeneralSettings::parseInterval(txtUpTime->text(), GeneralSettings::MaxRefreshSeconds);
    if (!refresh)
        return refuse(txtUpTime, QStringLiteral("掲示板を更新する時間を正しく入力してください"));
    const std::optional<int> ftp = GeneralSettings::parseInterval(txtFtpTime->text(), GeneralSettings::MaxFtpMinutes);
    if (!ftp)
        return refuse(txtFtpTime, QStringLiteral("FTPする時間を正しく入力してください"));

    GeneralSettings wanted;
    wanted.refreshSeconds = *refresh;
    wanted.ftpMinutes = *ftp;
    wanted.closeMinimizes = chkfrmClose->isChecked();
    wanted.hideFromTaskBar = chkTaskBar->isChecked();
    wanted.functionKeys = chkFunction->isChecked();
    wanted.escMinimizes = chkESC->isChecked();
    wanted.refreshOnRestore = chkListUp->isChecked();
    wanted.hotKeyOn = chkActive->isChecked();
    wanted.hotKey = wanted.hotKeyOn ? hotKeyEdit->value() : 0;
    wanted.whereaboutsLog = chkGoLog->isChecked();
    const bool saved = wanted.save(m_ctx.iniFile());

    // The key as stored, at once: a key that cannot be had does nothing, as at start.
    IGlobalHotKey& key = m_ctx.hotKey();
    if (m_ctx.settings().intValue(63) == 1 && m_ctx.settings().intValue(64) != 0)
        key.registerHotKey(m_ctx.settings().intValue(64));
    else
        key.unregisterHotKey();
    hotKeyEdit->setValue(m_ctx.settings().intValue(64));
    m_main.generalTimersChanged();
    if (saved)
        accept();
}
