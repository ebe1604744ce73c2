#pragma once

#include <QDialog>

class AppContext;
class MainHost;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;

// The reply to a received message: one addressee (its sender), the text
// prefilled with the quotation, templates, sealed, receipt and log options.
// "送信して閉じる" asks the message window to close the received message once
// the reply has gone out. Modal; the message timers pause meanwhile.
class frmMailSend2 : public QDialog
{
    Q_OBJECT

public:
    frmMailSend2(AppContext& ctx, MainHost& main, QWidget* parent, const QString& addressee,
                 const QString& quoted);

    // index 0 "送信", 1 "送信して閉じる".
    void cmdSend_Click(int index);
    void cmdCancel_Click();
    // True only when "送信して閉じる" sent the reply; cancelling or closing the
    // window any other way never closes the received message.
    bool closeAfterReply() const { return m_closeAfterReply; }

protected:
    void done(int result) override;

private:
    AppContext& m_ctx;
    MainHost& m_main;
    QString m_addressee;
    bool m_closeAfterReply = false;
    bool m_unloaded = false;

    QPlainTextEdit* txtMemo = nullptr;
    QComboBox* cboTeikei = nullptr;
    QCheckBox* chkHide = nullptr;
    QCheckBox* chkReceive = nullptr;
    QCheckBox* chkLog = nullptr;
    QPushButton* cmdSend0 = nullptr;
    QPushButton* cmdSend1 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
};
