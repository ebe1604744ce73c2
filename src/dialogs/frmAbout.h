#pragma once

#include <QDialog>

class AppContext;
class MainHost;

// "バージョン情報": the program's name and version, the Qt it runs on, and
// its licence.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    frmAbout(AppContext& ctx, MainHost& main);

    static QString licenceText();
};
