#pragma once

#include <QDialog>

#include <functional>

class AppContext;
class MainHost;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// "メッセージビューワ設定": the viewer's colours, font and grid row height.
// Colours and font are stored as soon as they are chosen; the row height when
// the window closes, by whatever way, and only when it is valid. applyLook
// makes the viewer take the stored look and draw its shown message again.
class frmVHSettei : public QDialog
{
    Q_OBJECT

public:
    frmVHSettei(AppContext& ctx, MainHost& host, std::function<void()> applyLook, QWidget* parent);

    void cmdColor_Click(int k); // k: 0 to 4, the rows from the top
    void cmdFont_Click();
    void cmdDefault_Click();
    // Checks txtGrid; on a bad value reports it, puts "22" back and focuses the box.
    bool checkGrid();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSamples();

    AppContext& m_ctx;
    MainHost& m_host;
    std::function<void()> m_applyLook;
    QFrame* m_samples[5] {};
    QLabel* lblFont = nullptr;
    QPushButton* cmdFont = nullptr;
    QLineEdit* txtGrid = nullptr;
};
