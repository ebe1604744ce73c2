#pragma once

#include "messaging/AddresseeTable.h"

#include <QDialog>

#include <array>

class AppContext;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// "メッセージ作成": addressees picked from the rows of every shown board, the
// text (with templates), sealed, receipt and log options, and a send at once
// or at a set time. A second button hands addressees and text to the system's
// mail client. Modal; the main window pauses its message timers meanwhile.
class frmMailSend : public QDialog
{
    Q_OBJECT

public:
    // Where the main window stood when it opened this window.
    struct Origin {
        int group = -1;   // its board, counted among the shown boards from 0
        int gridRow = -1; // its grid's current row, 0 = the board's first row; -1 none
    };

    frmMailSend(AppContext& ctx, QWidget* parent, Origin origin);

    void cboGroup_Click();
    void lstName_ItemCheck(int list, int entry);
    void chkAll_Click();
    void chkLogAll_Click();
    void cboTeikei_Click();
    void chkReceive_Click();
    void optTimer_Click(int index);
    void cmdTime_Click();
    void cmdSend_Click();
    void cmdMail_Click();

    const AddresseeTable& addressees() const { return m_table; }
    // The main grid's person, checked at opening; -1 when there was none.
    int preselected() const { return m_preselected; }
    // The date and time shown when the window opened (the time dialog starts there).
    const QString& initialDate() const { return m_initialDate; }
    const QString& initialTime() const { return m_initialTime; }

    static constexpr int ListCount = 20;

protected:
    void done(int result) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void loadTemplates();
    void afterBulkChange(const QCheckBox* changed);
    // Puts the check states of the table into list b without rebuilding the line.
    void showChecks(int b);
    void rebuildAddresseeLine();
    int visibleList() const;

    AppContext& m_ctx;
    Origin m_origin;
    AddresseeTable m_table;
    bool m_bulkChange = false;
    bool m_readOnlyAddressee = false;
    int m_mainGroup = 0; // the main window's board among the lists
    int m_preselected = -1;
    bool m_unloaded = false;
    QString m_initialDate;
    QString m_initialTime;

    QComboBox* cboGroup = nullptr;
    std::array<QListWidget*, ListCount> lstName {};
    QLineEdit* txtAtesaki = nullptr;
    QPlainTextEdit* txtMemo = nullptr;
    QComboBox* cboTeikei = nullptr;
    QCheckBox* chkAll = nullptr;
    QCheckBox* chkLogAll = nullptr;
    QCheckBox* chkHide = nullptr;
    QCheckBox* chkReceive = nullptr;
    QCheckBox* chkLog = nullptr;
    std::array<QRadioButton*, 2> optTimer {};
    QLabel* lblYMD = nullptr;
    QLabel* lblHM = nullptr;
    QPushButton* cmdTime = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdMail = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
};
