#include "messaging/frmMessage.h"

#include "board/MainHost.h"
#include "messaging/ComposeSend.h"
#include "messaging/MailNames.h"
#include "messaging/frmMailSend2.h"
#include "messaging/MessageSender.h"
#include "messaging/frmPassIn.h"
#include "msglog/MessageLog.h"
#include "msglog/frmPrint.h"
#include "platform/MessageBox.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kOpen = QStringLiteral("\uFF62");  // ｢
const QString kClose = QStringLiteral("\uFF63"); // ｣
} // namespace

frmMessage::frmMessage(AppContext& ctx, MainHost& main, const QString& fileName)
    : QMainWindow(nullptr), m_ctx(ctx), m_main(main)
{
    setObjectName(QStringLiteral("frmMessage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    const Settings& s = ctx.settings();

    // Only "閉じる" closes the window: no close button in its frame.
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowMinimizeButtonHint;
    if (s.intValue(38) == 1)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);

    auto* central = new QWidget(this);
    auto* area = new QGridLayout;
    txtMemo = new QPlainTextEdit(central);
    txtMemo->setObjectName(QStringLiteral("txtMemo"));
    txtMemo->setReadOnly(true);
    txtMemo->setFont(Twips::fontOf(s.text(73), s.realValue(74)));
    txtMemo->hide();
    cmdHide = new QPushButton(QStringLiteral("封書"), central);
    cmdHide->setObjectName(QStringLiteral("cmdHide"));
    cmdHide->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    area->addWidget(txtMemo, 0, 0);
    area->addWidget(cmdHide, 0, 0); // over the text
    cmdClose = new QPushButton(QStringLiteral("閉じる"), central);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdHenshin = new QPushButton(QStringLiteral("返信"), central);
    cmdHenshin->setObjectName(QStringLiteral("cmdHenshin"));
    chkLog = new QCheckBox(QStringLiteral("ﾛｸﾞ保存"), central);
    chkLog->setObjectName(QStringLiteral("chkLog"));
    auto hidden = [central](const char* name) {
        auto* l = new QLabel(central);
        l->setObjectName(QString::fromLatin1(name));
        l->hide();
        return l;
    };
    lblMotoName = hidden("lblMotoName");
    lblDateTime = hidden("lblDateTime");
    lblReceive = hidden("lblReceive");
    lblMailID = hidden("lblMailID");
    lblFileName = hidden("lblFileName");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkLog);
    buttons->addStretch(1);
    buttons->addWidget(cmdHenshin);
    buttons->addWidget(cmdClose);
    auto* v = new QVBoxLayout(central);
    v->addLayout(area, 1);
    v->addLayout(buttons);
    setCentralWidget(central);
    setMinimumHeight(Twips::toPixels(1345));
    resize(420, 300);

    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* print = file->addAction(QStringLiteral("印刷"));
    print->setObjectName(QStringLiteral("mnuPrint"));
    connect(print, &QAction::triggered, this, &frmMessage::mnuPrint_Click);
    QAction* help = menuBar()->addAction(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(help, &QAction::triggered, this, [this] { m_main.showHelp(55); });

    // The message, read while it is still in the inbox.
    const MessageReadResult read = MessageFormat::read(ctx.programPath(fileName));
    m_message = read.message;
    lblMotoName->setText(m_message.sender);
    lblDateTime->setText(m_message.sentAt);
    lblReceive->setText(m_message.receipt);
    lblMailID->setText(QString::number(m_message.mailIdNumber()));
    lblFileName->setText(Paths::join(Paths::join(ctx.programFolder(), QStringLiteral("TMP")),
                                     QStringLiteral("TMP") + fileName));

    const QString own = s.text(26);
    if (read.opened() && m_message.addresseeNames().contains(own)) {
        m_shownLines = m_message.textLines;
        if (!read.intact())
            m_shownLines.prepend(QStringLiteral("（このメッセージには読み取れない部分があります）"));
    } else {
        m_shownLines = {QStringLiteral("このメッセージは読めません")};
        m_shownEndsWithBreak = false;
    }
    txtMemo->setPlainText(m_shownLines.join(u'\n'));

    cmdHide->setVisible(m_message.isSealed());
    if (cmdHide->isVisible())
        cmdHide->raise();
    txtMemo->show();

    if (m_message.receiptKind() == MessageFile::Receipt::IsReceipt) {
        cmdHenshin->hide();
        chkLog->hide();
        setWindowTitle(kOpen + m_message.sender + kClose + QStringLiteral("がメッセージを受信しました(")
                       + m_message.sentAt + u')');
        // The confirmed message leaves the list of messages not yet read. The
        // sender's name comes from the file: one that cannot be a file name
        // (a path) never names an "RCV" file.
        const QString rcv = Paths::join(Paths::join(ctx.programFolder(), QStringLiteral("RCV")),
                                        QStringLiteral("RCV") + m_message.sender + u'.' + lblMailID->text());
        if (MailNames::isUsableName(m_message.sender) && Fs::isFile(rcv))
            Fs::remove(rcv);
    } else {
        setWindowTitle(kOpen + m_message.sender + kClose + QStringLiteral("からのメッセージ(") + m_message.sentAt
                       + u')');
    }
    chkLog->setChecked(s.intValue(36) == 1);

    connect(cmdHide, &QPushButton::clicked, this, &frmMessage::cmdHide_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(cmdHenshin, &QPushButton::clicked, this, &frmMessage::cmdHenshin_Click);
    if (s.intValue(38) != 1 && s.intValue(51) == 1)
        raise(); // to the front once, without taking the focus
}

QString frmMessage::shownText() const
{
    QString t;
    for (const QString& line : m_shownLines)
        t += line + QStringLiteral("\r\n");
    return t;
}

QString frmMessage::replyQuotation() const
{
    // Text still under its seal is not handed on in a quotation.
    if (sealedNow())
        return {};
    QString shown = m_shownLines.join(QStringLiteral("\r\n"));
    if (m_shownEndsWithBreak)
        shown += QStringLiteral("\r\n");
    return ComposeSend::quoteForReply(shown);
}

void frmMessage::cmdHenshin_Click()
{
    frmMailSend2 reply(m_ctx, m_main, this, m_message.sender, replyQuotation());
    reply.exec();
    // The reply has gone out; the received message closes as "閉じる" closes it.
    if (reply.closeAfterReply())
        cmdClose_Click();
}

bool frmMessage::sealedNow() const
{
    return cmdHide->isVisible();
}

void frmMessage::mnuPrint_Click()
{
    // A closed seal keeps the text from anybody at this desk, the printer too.
    if (sealedNow()) {
        m_ctx.msgBox().show({QStringLiteral("封書のメッセージは開封してから印刷してください"), QStringLiteral("印刷エラー"),
                             MsgIcon::Stop, MsgButtons::Ok, 0, true});
        return;
    }
    // The lines the log keeps for this message, without the separator.
    QStringList lines = MessageLog::receivedRecord(m_message.sender, m_message.sentAt,
                                                   m_shownLines.join(QStringLiteral("\r\n")), m_ctx.settings().text(26));
    lines.removeLast();
    m_main.pauseMessageTimers();
    frmPrint window(m_ctx, m_main, lines.join(QStringLiteral("\r\n")), this);
    window.exec();
    m_main.resumeMessageTimers();
}

void frmMessage::cmdHide_Click()
{
    const QString password = m_ctx.settings().text(25);
    if (password.isEmpty()) {
        cmdHide->hide();
        return;
    }
    m_main.pauseMessageTimers();
    frmPassIn prompt(password, this);
    prompt.exec();
    if (prompt.passwordRight())
        cmdHide->hide();
    else
        cmdHide->setText(QStringLiteral("パスワードが違います"));
    m_main.resumeMessageTimers();
}

bool frmMessage::cmdClose_Click()
{
    const QString procedure = QStringLiteral("(frmMessage_cmdClose_Click");
    const Settings& s = m_ctx.settings();
    const MessageFile::Receipt kind = m_message.receiptKind();

    if (kind == MessageFile::Receipt::Requested && !m_receiptSent) {
        MessageFile receipt;
        receipt.addressees = MessageFile::addresseeLine({m_message.sender});
        receipt.sender = s.text(26);
        receipt.sentAt = DateTimeText(m_ctx.clock(), 1);
        receipt.sealed = QStringLiteral("0");
        receipt.receipt = QStringLiteral("2");
        receipt.mailId = lblMailID->text();
        receipt.textLines = {QStringLiteral("<<これは受信確認のメッセージです>>"), QString()};
        // The shown text split at its line breaks: each line, then the empty
        // piece after the last break (the refusal text ends without one).
        for (const QString& line : m_shownLines)
            receipt.textLines.append(u'>' + line);
        if (!m_shownLines.isEmpty() && m_shownEndsWithBreak)
            receipt.textLines.append(QStringLiteral(">"));
        MessageSender sender(m_ctx);
        MessageSender::Options options;
        options.procedure = procedure;
        const MessageSender::Result r = sender.send(receipt, {m_message.sender}, options);
        // A receipt that could not be put into the mail place keeps the window
        // open, so closing again tries again; a sender name that can never be
        // used as a file name does not.
        if (!r.refused && !r.allDelivered())
            return false;
        m_receiptSent = true;
    }

    if (kind != MessageFile::Receipt::IsReceipt && chkLog->isChecked()) {
        const bool logMissing = FileExists(s.text(32)) == 0;
        const QStringList record = MessageLog::receivedRecord(m_message.sender, m_message.sentAt,
                                                              m_shownLines.join(QStringLiteral("\r\n")), s.text(26));
        if (!MessageLog::appendRecord(m_ctx, record, procedure) && !logMissing)
            return false;
    }

    if (Fs::isFile(lblFileName->text()))
        Fs::remove(lblFileName->text());
    m_ctx.iniFile().store(36, chkLog->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    m_mayClose = true;
    close();
    return true;
}

QString frmMessage::filePath() const
{
    return lblFileName->text();
}

void frmMessage::setFilePath(const QString& path)
{
    lblFileName->setText(path);
}

void frmMessage::unloadQuietly()
{
    m_mayClose = true;
    close();
}

void frmMessage::closeEvent(QCloseEvent* event)
{
    if (!m_mayClose) {
        event->ignore();
        return;
    }
    Q_EMIT closed(this);
    event->accept();
}
