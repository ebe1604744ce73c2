#pragma once

#include <QDialog>

class AppContext;
class HotKeyEdit;
class MainHost;
class QCheckBox;
class QLineEdit;
class QWidget;

// The general settings: the board refresh and FTP intervals, the main
// window's behaviours, the whereabouts log switch and the global hot key.
class frmKSettei : public QDialog
{
    Q_OBJECT

public:
    frmKSettei(AppContext& ctx, MainHost& main);

    void cmdOk_Click();

private:
    AppContext& m_ctx;
    MainHost& m_main;
    QLineEdit* txtUpTime = nullptr;
    QLineEdit* txtFtpTime = nullptr;
    QCheckBox* chkfrmClose = nullptr;
    QCheckBox* chkTaskBar = nullptr;
    QCheckBox* chkFunction = nullptr;
    QCheckBox* chkESC = nullptr;
    QCheckBox* chkListUp = nullptr;
    QCheckBox* chkActive = nullptr;
    QWidget* picHotKey = nullptr;
    HotKeyEdit* hotKeyEdit = nullptr;
    QCheckBox* chkGoLog = nullptr;
};
