#pragma once

#include "messaging/MessageFile.h"

#include <QMainWindow>

class AppContext;
class MainHost;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// One received message: sender and time in the caption, the text below, the
// seal over a sealed text. It can only be closed with "閉じる", which answers a
// receipt request, logs the message and removes its file.
class frmMessage : public QMainWindow
{
    Q_OBJECT

public:
    // Loads the inbox file fileName of the program folder; the caller moves it
    // to "TMP" afterwards (its path there is lblFileName).
    frmMessage(AppContext& ctx, MainHost& main, const QString& fileName);

    void cmdHide_Click();
    // "返信": the reply window, then (after "送信して閉じる") the close below.
    void cmdHenshin_Click();
    // The reply window's start text.
    QString replyQuotation() const;
    // Prints the message as the log keeps it; refused while the seal is closed.
    void mnuPrint_Click();
    // False when the window stays open (the receipt or the log could not be written).
    bool cmdClose_Click();
    // Program end: the window goes without receipt or log; its file stays in "TMP"
    // and the message is shown again at the next start.
    void unloadQuietly();

    // Where the message's file is: "TMP" once moved there, the inbox when the
    // move failed. Closing removes the file there, and a poll passes over it.
    QString filePath() const;
    void setFilePath(const QString& path);

    const MessageFile& message() const { return m_message; }
    QString shownText() const;
    bool sealedNow() const;

Q_SIGNALS:
    void closed(frmMessage* window);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext& m_ctx;
    MainHost& m_main;
    MessageFile m_message;
    QStringList m_shownLines;
    bool m_shownEndsWithBreak = true;
    bool m_mayClose = false;
    // The receipt went out on an earlier try whose log write failed: closing
    // again must not send a second one.
    bool m_receiptSent = false;

    QPlainTextEdit* txtMemo = nullptr;
    QPushButton* cmdHide = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdHenshin = nullptr;
    QCheckBox* chkLog = nullptr;
    QLabel* lblMotoName = nullptr;
    QLabel* lblDateTime = nullptr;
    QLabel* lblReceive = nullptr;
    QLabel* lblMailID = nullptr;
    QLabel* lblFileName = nullptr;
};
