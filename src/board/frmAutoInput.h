#pragma once

#include <QDialog>

#include <array>

class AppContext;
class MainHost;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The automatic input settings: whereabouts set at start, at exit and after
// the set button, and the absence set after minutes without key or button use.
class frmAutoInput : public QDialog
{
    Q_OBJECT

public:
    frmAutoInput(AppContext& ctx, MainHost& main);

    void cmdOK_Click();

private:
    AppContext& m_ctx;
    MainHost& m_main;
    QCheckBox* chkStart = nullptr;
    QCheckBox* chkEnd = nullptr;
    QCheckBox* chkSetIn = nullptr;
    std::array<QComboBox*, 5> cboIkisaki {};
    std::array<QComboBox*, 5> cboModori {};
    QLineEdit* txtFuzaiTime = nullptr;
    QLabel* lblWatch = nullptr;
};
