#pragma once

#include <QDialog>

#include <array>

class AppContext;
class frmUser;
class QLabel;
class QLineEdit;

// "パスワードの設定": the current password (when one is set), the new one and
// its confirmation. The new password goes back to frmUser, which stores it.
class frmPass : public QDialog
{
    Q_OBJECT

public:
    frmPass(AppContext& ctx, frmUser& user);

    void cmdHenko_Click();

private:
    AppContext& m_ctx;
    frmUser& m_user;
    std::array<QLineEdit*, 3> txtPass {};
    std::array<QLabel*, 2> m_currentLabels {};
};
