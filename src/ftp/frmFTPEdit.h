#pragma once

#include "editors/ListEditorWindow.h"

class QLabel;
class QLineEdit;
class QRadioButton;

// "FTPリストエディタ": the FTP list "ftpset.txt", for each entry the server,
// the path there, the login, the local board file and the direction.
class frmFTPEdit : public ListEditorWindow
{
    Q_OBJECT

public:
    frmFTPEdit(AppContext& ctx, MainHost& main);

protected:
    QString lineText(const QStringList& row) const override;
    std::optional<QStringList> rowFromInputs(const QStringList* selected) override;
    void showRow(const QStringList& row) override;
    void newList() override;
    QWidget* firstInput() const override;
    EditedListRead readFile(const QString& path) override;
    bool writeFile(const QString& path) override;
    QString openFolder() const override;

private:
    QLineEdit *txtServerName = nullptr, *txtServerPath = nullptr, *txtUserName = nullptr, *txtPass = nullptr;
    QLabel* lblKeijiban = nullptr;
    QRadioButton* optUpDown[2] = {};
};
