#pragma once

#include <QDialog>

#include <array>

class AppContext;
class MainHost;
class QCheckBox;
class QLabel;

// "掲示板の選択": which boards this copy reads (読) and on which the user logs
// in (ロ). One row per board number 1 to 20 of the board list.
class frmKeijiban : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Rows = 20;

    frmKeijiban(AppContext& ctx, MainHost& main);

    void chkRead_Click(int board);
    void chkLogin_Click(int board);
    void cmdOK_Click();

private:
    AppContext& m_ctx;
    MainHost& m_main;
    // Index = board number - 1.
    std::array<QLabel*, Rows> lblID {};
    std::array<QCheckBox*, Rows> chkLogin {};
    std::array<QCheckBox*, Rows> chkRead {};
    std::array<bool, Rows> m_readOnly {};
};
