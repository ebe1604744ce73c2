#pragma once

#include <QDialog>

#include <optional>

class IMessageBox;
class QLabel;
class QLineEdit;

// "暗号化パスワードの設定": the password of the locked message log.
//
//   frmPass2::ask(parent, box, frmPass2::SetPassword)   - lock: password and
//       its confirmation; unequal ones are refused ("確認用パスワードが違います")
//       and both boxes emptied, the window stays open.
//   frmPass2::ask(parent, box, frmPass2::EnterPassword) - opening a locked log
//       and unlock: one box, no confirmation.
// ask() runs the window modally and gives the typed password trimmed of
// surrounding blanks (it may be empty) on OK, nothing on キャンセル.
class frmPass2 : public QDialog
{
    Q_OBJECT

public:
    enum Mode { SetPassword = 1, EnterPassword = 2 };

    frmPass2(IMessageBox& box, Mode mode, QWidget* parent = nullptr);

    static std::optional<QString> ask(QWidget* parent, IMessageBox& box, Mode mode);

    Mode mode() const { return m_mode; }
    // The accepted password (trimmed); empty before OK.
    const QString& password() const { return m_password; }

    void cmdOK_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IMessageBox& m_box;
    Mode m_mode;
    QString m_password;
    QLineEdit* txtPass1 = nullptr;
    QLineEdit* txtPass2 = nullptr;
};
