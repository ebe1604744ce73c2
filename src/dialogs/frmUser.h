#pragma once

#include <QDialog>

class AppContext;
class MainHost;
class QLineEdit;

// "ユーザ情報登録": the user's name on the boards, extension, mail address and
// message-opening password. A name is accepted only when it stands on a board
// the user reads and logs in to (or when it is empty).
class frmUser : public QDialog
{
    Q_OBJECT

public:
    frmUser(AppContext& ctx, MainHost& main);

    void cmdSettei_Click();
    void cmdPass_Click();
    // The password frmPass hands over; stored with "設定".
    void setPassword(const QString& password);

private:
    AppContext& m_ctx;
    MainHost& m_main;
    QString m_password;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtPass = nullptr;
    QLineEdit* txtNaisen = nullptr;
    QLineEdit* txtMail = nullptr;
};
