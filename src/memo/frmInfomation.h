#pragma once

#include "memo/Banner.h"
#include "memo/DayMemo.h"

#include <QDialog>

#include <array>

class AppContext;
class MainHost;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "今日は何の日？": for one day of the year, what the day is known for and the
// user's own memo of that day; with setting 102 on, the banner area below.
class frmInfomation : public QDialog
{
    Q_OBJECT

public:
    // Opened from the main window's menu.
    frmInfomation(AppContext& ctx, MainHost& main);
    // Opened at start, before there is a main window.
    explicit frmInfomation(AppContext& ctx, QWidget* parent = nullptr);

    const QString& dayKey() const { return m_key; }
    // Shows a day (the caption, its text and its memo).
    void showDay(const QString& key);
    void step(DayKey::Step how);
    void cmdToday_Click();
    void cmdMemoWrite_Click();
    const Banner& banner() const { return m_banner; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void loadBanner();
    void openLink(const QString& link);

    AppContext& m_ctx;
    QString m_key;
    Banner m_banner;
    bool m_showBanner = false;
    QLabel* lblToday = nullptr;
    QPlainTextEdit* txtInfo = nullptr;
    QPlainTextEdit* txtInfo2 = nullptr;
    QPushButton* cmdClose = nullptr;
    QWidget* m_bannerArea = nullptr;
    std::array<QLabel*, 3> pctKoukoku {};
    std::array<QLabel*, 3> lblKoukoku {};
    QLabel* lblUrl = nullptr;
};
