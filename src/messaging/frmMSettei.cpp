#include "messaging/frmMSettei.h"

#include "board/MainHost.h"
#include "messaging/MessageSettings.h"
#include "messaging/MessageWindowParts.h"
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

frmMSettei::frmMSettei(AppContext& ctx, MainHost& main)
    : QDialog(main.hostWidget()), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmMSettei"));
    setWindowTitle(QStringLiteral("メッセージ設定"));
    setModal(true);

    txtReTime = new QLineEdit(this);
    txtReTime->setObjectName(QStringLiteral("txtReTime"));
    txtReTime->setMaximumWidth(80);
    chkZorder = MessageWindowParts::check(this, QStringLiteral("ﾒｯｾｰｼﾞを常に前面に表示"), "chkZorder");
    chkZOrder2 = MessageWindowParts::check(this, QStringLiteral("ﾒｯｾｰｼﾞを受信したら前面に表示"), "chkZOrder2");
    chkIcon = MessageWindowParts::check(this, QStringLiteral("ﾒｯｾｰｼﾞがある場合、ﾏｳｽｶｰｿﾙの横にﾒｰﾙﾏｰｸを表示"), "chkIcon");
    chkTray = MessageWindowParts::check(this, QStringLiteral("ﾒｯｾｰｼﾞがある場合、ﾀｽｸﾄﾚｲのｱｲｺﾝを点滅させる"), "chkTray");
    chkNotify = MessageWindowParts::check(this, QStringLiteral("ﾒｯｾｰｼﾞを受信したらﾃﾞｽｸﾄｯﾌﾟに通知する"), "chkNotify");
    cmdOk = MessageWindowParts::button(this, QStringLiteral("OK"), "cmdOk");
    cmdCancel = MessageWindowParts::button(this, QStringLiteral("CANCEL"), "cmdCancel");
    cmdHelp = MessageWindowParts::button(this, QStringLiteral("ヘルプ"), "cmdHelp");

    auto* interval = new QGroupBox(QStringLiteral("メッセージをチェックする間隔"), this);
    auto* iv = new QVBoxLayout(interval);
    auto* row = new QHBoxLayout;
    row->addWidget(txtReTime);
    row->addWidget(new QLabel(QStringLiteral("秒(0～9999)"), interval));
    row->addStretch(1);
    iv->addLayout(row);
    iv->addWidget(new QLabel(QStringLiteral("時間を0秒にするとチェックをしません"), interval));
    iv->addWidget(new QLabel(QStringLiteral("間隔が短いとメールの置き場所に負荷がかかります"), interval));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);
    auto* v = new QVBoxLayout(this);
    v->addWidget(interval);
    for (QCheckBox* c : {chkZorder, chkZOrder2, chkIcon, chkTray, chkNotify})
        v->addWidget(c);
    v->addLayout(buttons);

    const MessageSettings::Values values = MessageSettings::load(ctx);
    txtReTime->setText(QString::number(values.interval));
    chkZorder->setChecked(values.alwaysOnTop);
    chkZOrder2->setChecked(values.bringToFront);
    chkIcon->setChecked(values.cursorMark);
    chkTray->setChecked(values.trayBlink);
    chkNotify->setChecked(values.notify);
    chkZorder_Click();
    chkZOrder2_Click();

    selectAllOnEntry(txtReTime);
    connect(chkZorder, &QCheckBox::toggled, this, &frmMSettei::chkZorder_Click);
    connect(chkZOrder2, &QCheckBox::toggled, this, &frmMSettei::chkZOrder2_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmMSettei::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHelp, &QPushButton::clicked, this, [this] { m_main.showHelp(15); });
}

// The two stacking choices exclude each other: while one is checked the other
// cannot be changed.
void frmMSettei::chkZorder_Click()
{
    chkZOrder2->setEnabled(!chkZorder->isChecked());
}

void frmMSettei::chkZOrder2_Click()
{
    chkZorder->setEnabled(!chkZOrder2->isChecked());
}

void frmMSettei::cmdOk_Click()
{
    MessageSettings::Values values;
    if (!MessageSettings::parseInterval(txtReTime->text(), &values.interval)) {
        m_ctx.msgBox().stop(MessageSettings::intervalErrorText(), QStringLiteral("入力エラー"));
        txtReTime->setFocus();
        txtReTime->selectAll();
        return;
    }
    values.alwaysOnTop = chkZorder->isChecked();
    values.bringToFront = chkZOrder2->isChecked();
    values.cursorMark = chkIcon->isChecked();
    values.trayBlink = chkTray->isChecked();
    values.notify = chkNotify->isChecked();
    MessageSettings::store(m_ctx, values);
    m_main.messageSettingsChanged();
    accept();
}
