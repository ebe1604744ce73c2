#pragma once

#include <QDialog>

class AppContext;
class MainHost;
class QComboBox;
class QPushButton;

// "印刷の設定": prints a text on a printer chosen from the system's list, or
// into a PDF file (the list's last entry, the one chosen where there is no
// printer). The viewer hands it its message pane, the reading window the lines
// of its received message. A failed print is reported and the window stays.
class frmPrint : public QDialog
{
    Q_OBJECT

public:
    frmPrint(AppContext& ctx, MainHost& host, const QString& text, QWidget* parent);

    // The list entry that prints into a PDF file.
    static QString pdfEntry();

    void cmdPrinter_Click();
    // True when the text went out (the window then closes).
    bool cmdPrint_Click();

private:
    AppContext& m_ctx;
    MainHost& m_host;
    QString m_text;
    QComboBox* Combo1 = nullptr;
    QPushButton* cmdPrinter = nullptr;
};
