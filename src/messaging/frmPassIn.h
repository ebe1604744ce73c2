#pragma once

#include <QDialog>

class QLineEdit;

// "パスワードの入力": asks for the own message-opening password.
class frmPassIn : public QDialog
{
    Q_OBJECT

public:
    frmPassIn(const QString& password, QWidget* parent);

    // Set when the typed text, blanks around it removed, equals the password.
    bool passwordRight() const { return m_right; }

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    QString m_password;
    bool m_right = false;
    QLineEdit* txtPass = nullptr;
};
