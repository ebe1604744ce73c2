#pragma once

#include <QDialog>

class AppContext;
class MainHost;
class QLabel;
class QPushButton;

// "共有ファイルの場所の設定": the files every user shares: the mail place
// folder, the board list and the common destination and return lists. Each
// choice is stored at once.
class frmFilePath : public QDialog
{
    Q_OBJECT

public:
    frmFilePath(AppContext& ctx, MainHost& main);

    void cmdMail_Click();
    void cmdKeijiban_Click();
    void cmdModori_Click();
    void cmdIkisaki_Click();

private:
    // Initial folder of a shared list's dialog.
    QString initialFolder(const QString& current) const;
    // True when an existing file was chosen and stored.
    bool chooseSharedList(int setting, QLabel* label, const QString& fileName, const QString& title,
                          const QString& filter);

    AppContext& m_ctx;
    MainHost& m_main;
    QLabel* lblMail = nullptr;
    QLabel* lblKeijiban = nullptr;
    QLabel* lblModori = nullptr;
    QLabel* lblIkisaki = nullptr;
};
