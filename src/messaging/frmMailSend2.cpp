#include "messaging/frmMailSend2.h"

#include "board/MainHost.h"
#include "messaging/ComposeSend.h"
#include "messaging/MessageWindowParts.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 57;
} // namespace

frmMailSend2::frmMailSend2(AppContext& ctx, MainHost& main, QWidget* parent, const QString& addressee,
                           const QString& quoted)
    : QDialog(parent), m_ctx(ctx), m_main(main), m_addressee(addressee)
{
    setObjectName(QStringLiteral("frmMailSend2"));
    setModal(true);
    m_main.pauseMessageTimers();

    txtMemo = new QPlainTextEdit(this);
    txtMemo->setObjectName(QStringLiteral("txtMemo"));
    cboTeikei = new QComboBox(this);
    cboTeikei->setObjectName(QStringLiteral("cboTeikei"));
    chkHide = MessageWindowParts::check(this, QStringLiteral("封書"), "chkHide");
    chkReceive = MessageWindowParts::check(this, QStringLiteral("受信確認"), "chkReceive");
    chkLog = MessageWindowParts::check(this, QStringLiteral("ﾛｸﾞ保存"), "chkLog");
    cmdSend0 = MessageWindowParts::button(this, QStringLiteral("送信"), "cmdSend0");
    cmdSend1 = MessageWindowParts::button(this, QStringLiteral("送信して閉じる"), "cmdSend1");
    cmdCancel = MessageWindowParts::button(this, QStringLiteral("キャンセル"), "cmdCancel");
    cmdHelp = MessageWindowParts::button(this, QStringLiteral("ヘルプ"), "cmdHelp");

    auto* options = new QHBoxLayout;
    options->addWidget(chkHide);
    options->addWidget(chkReceive);
    options->addWidget(chkLog);
    options->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdSend0, cmdSend1, cmdCancel, cmdHelp})
        buttons->addWidget(b);
    auto* v = new QVBoxLayout(this);
    v->addWidget(txtMemo, 1);
    v->addWidget(cboTeikei);
    v->addLayout(options);
    v->addLayout(buttons);
    resize(460, 320);

    const Settings& s = ctx.settings();
    const QFont font = Twips::fontOf(s.text(73), s.realValue(74));
    txtMemo->setFont(font);
    cboTeikei->setFont(font);
    chkHide->setChecked(s.intValue(34) == 1);
    chkReceive->setChecked(s.intValue(35) == 1);
    chkLog->setChecked(s.intValue(36) == 1);
    MessageWindowParts::colourReceiptBox(chkReceive);
    setWindowTitle(QStringLiteral("\uFF62") + addressee + QStringLiteral("\uFF63への返信メッセージ"));
    MessageWindowParts::loadTemplates(ctx, cboTeikei, QStringLiteral("(frmMailSend2_Form_Load"));
    txtMemo->setPlainText(quoted);

    connect(cboTeikei, &QComboBox::activated, this,
            [this] { MessageWindowParts::insertTemplate(cboTeikei, txtMemo); });
    connect(chkReceive, &QCheckBox::toggled, this, [this] { MessageWindowParts::colourReceiptBox(chkReceive); });
    connect(cmdSend0, &QPushButton::clicked, this, [this] { cmdSend_Click(0); });
    connect(cmdSend1, &QPushButton::clicked, this, [this] { cmdSend_Click(1); });
    connect(cmdCancel, &QPushButton::clicked, this, &frmMailSend2::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, [this] { m_main.showHelp(kHelpContext); });
}

void frmMailSend2::cmdSend_Click(int index)
{
    ComposeSend::Request request;
    request.procedure = QStringLiteral("(frmMailSend2_cmdSend_Click");
    request.reply = true;
    request.recipients = {m_addressee};
    request.text = txtMemo->toPlainText();
    request.sealed = chkHide->isChecked();
    request.receipt = chkReceive->isChecked();
    request.log = chkLog->isChecked();
    const ComposeSend::Outcome outcome = ComposeSend::send(m_ctx, request);
    // Not delivered (each failure was reported): the reply stays for another try.
    if (!outcome.complete())
        return;
    m_closeAfterReply = index == 1;
    accept();
}

void frmMailSend2::cmdCancel_Click()
{
    m_closeAfterReply = false;
    reject();
}

void frmMailSend2::done(int result)
{
    if (!m_unloaded) {
        m_unloaded = true;
        IniFile& ini = m_ctx.iniFile();
        ini.store(34, chkHide->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        ini.store(35, chkReceive->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        ini.store(36, chkLog->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        m_main.resumeMessageTimers();
    }
    QDialog::done(result);
}
