#pragma once

#include <QDialog>

class AppContext;
class MainHost;
class QCheckBox;
class QLineEdit;
class QPushButton;

// "メッセージ設定": the poll interval and how arriving messages draw attention
// (stacking of message windows, the mail mark beside the cursor, the blinking
// tray icon). "OK" stores them and the main window applies them at once.
class frmMSettei : public QDialog
{
    Q_OBJECT

public:
    frmMSettei(AppContext& ctx, MainHost& main);

    void chkZorder_Click();
    void chkZOrder2_Click();
    void cmdOk_Click();

private:
    AppContext& m_ctx;
    MainHost& m_main;
    QLineEdit* txtReTime = nullptr;
    QCheckBox* chkZorder = nullptr;
    QCheckBox* chkZOrder2 = nullptr;
    QCheckBox* chkIcon = nullptr;
    QCheckBox* chkTray = nullptr;
    QCheckBox* chkNotify = nullptr; // desktop notification (setting 103)
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
};
