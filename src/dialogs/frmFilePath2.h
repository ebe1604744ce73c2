#pragma once

#include <QDialog>

class AppContext;
class MainHost;
class QLabel;

// "個別ファイルの場所の設定": the user's own files: the FTP list, the message
// log and the whereabouts log. A chosen file that does not exist is created empty.
class frmFilePath2 : public QDialog
{
    Q_OBJECT

public:
    frmFilePath2(AppContext& ctx, MainHost& main);

    void cmdFTP_Click();
    void cmdMsg_Click();
    void cmdIkisaki_Click();

private:
    void chooseOwnFile(int setting, QLabel* label, const QString& fileName, const QString& title,
                       const QString& filter, const QString& procedure);

    AppContext& m_ctx;
    MainHost& m_main;
    QLabel* lblFTP = nullptr;
    QLabel* lblMsg = nullptr;
    QLabel* lblIkisaki = nullptr;
};
