#pragma once

#include <QDialog>

#include <array>

class AppContext;
class QComboBox;
class QPushButton;

// "送信予定日時の設定": the send date and time of a scheduled message, one box
// per part. Each box is checked when it is left; "設定" also refuses a day the
// calendar does not have.
class frmTimeSet : public QDialog
{
    Q_OBJECT

public:
    // date "yyyy/mm/dd" and time "hh:mm:ss" as the composing window shows them.
    frmTimeSet(AppContext& ctx, QWidget* parent, const QString& date, const QString& time);

    // Leaving box k (0 year … 5 second): false when refused (the focus goes back).
    bool cbo_LostFocus(int k);
    void cmdSettei_Click();

    // The chosen date and time, as the boxes show them (after "設定").
    const QString& date() const { return m_date; }
    const QString& time() const { return m_time; }

    static constexpr int FieldCount = 6;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refuse(int k, const QString& text);

    AppContext& m_ctx;
    QString m_date;
    QString m_time;
    bool m_refusing = false;
    std::array<QComboBox*, FieldCount> m_boxes {};
    QPushButton* cmdSettei = nullptr;
    QPushButton* cmdCancel = nullptr;
};
