#pragma once

#include <QDialog>

#include <array>

class AppContext;
class MainHost;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

// "表示設定": the board grid's colours, font and row height, and whether the
// date memo window and its banner appear at start. Colours and font are stored
// as soon as they are chosen; the rest when the dialog closes, by any way.
class frmHSettei : public QDialog
{
    Q_OBJECT

public:
    frmHSettei(AppContext& ctx, MainHost& main);

    void cmdColor_Click(int index);
    void cmdFont_Click();
    void cmdDefault_Click();
    void chkNani_Click();
    // Checks the row height box; false (after telling the user, with the box
    // reset to "22" and focused) when it holds no usable height.
    bool txtGrid_Validate();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showColor(int index);
    void showFont();
    void storeColor(int index, qint32 value);
    void storeFont(const QString& name, double size);
    // A chooser that could not be shown: told, and the program ends.
    void fatalError();

    AppContext& m_ctx;
    MainHost& m_main;
    bool m_fatal = false;
    std::array<QFrame*, 5> speColor {}; // 4: the overdue return (setting 77)
    QLabel* lblFont = nullptr;
    QLabel* lblFontSize = nullptr;
    QLineEdit* txtGrid = nullptr;
    QCheckBox* chkNani = nullptr;
    QCheckBox* chkKoukoku = nullptr;
};
