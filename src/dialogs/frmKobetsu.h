#pragma once

#include <QDialog>

class AppContext;
class MainHost;
class QPlainTextEdit;
class QTabBar;

// "個別入力設定": the user's personal lists "where.ini", "return.ini" and
// "template.ini", one tab each, edited as plain text.
class frmKobetsu : public QDialog
{
    Q_OBJECT

public:
    frmKobetsu(AppContext& ctx, MainHost& main);

    void TabStrip1_Click();
    void cmdWrite_Click();

    // The file of a tab (0 to 2) in the program folder.
    QString fileOf(int tab) const;

private:
    AppContext& m_ctx;
    MainHost& m_main;
    QTabBar* TabStrip1 = nullptr;
    QPlainTextEdit* txtMemo = nullptr;
    // The error that kept the current tab's file from loading, or 0; its empty
    // box must not be written over the list.
    int m_loadError = 0;
};
