#pragma once

#include "platform/TrayIcon.h"

#include <QList>

// Records every tray operation; tests press its buttons with leftClick and
// rightClick.
class RecordingTrayIcon final : public ITrayIcon
{
    Q_OBJECT

public:
    struct Call {
        Operation operation;
        int picture;
        QString tip;
    };

    void add(int picture, const QString& tip) override;
    void modify(int picture, const QString& tip) override;
    void remove() override;
    bool isAdded() const override { return m_added; }
    bool isShownInArea() const override { return m_added && m_areaAvailable; }
    // A desktop without a notification area.
    void setAreaAvailable(bool available) { m_areaAvailable = available; }
    int picture() const override { return m_picture; }
    QString tip() const override { return m_tip; }
    struct Notification {
        QString title;
        QString text;
    };
    void showMessage(const QString& title, const QString& text) override;
    // The notifications shown while an icon was there, in order.
    const QList<Notification>& notifications() const { return m_notifications; }

    const QList<Call>& calls() const { return m_calls; }
    // The pictures the icon showed, in order (add and modify that changed it).
    QList<int> pictureHistory() const;
    void clear() { m_calls.clear(); }

    void leftClick(const QPoint& globalPos = QPoint(10, 10)) { Q_EMIT leftClicked(globalPos); }
    void rightClick(const QPoint& globalPos = QPoint(10, 10)) { Q_EMIT rightClicked(globalPos); }

private:
    QList<Call> m_calls;
    QList<Notification> m_notifications;
    bool m_added = false;
    bool m_areaAvailable = true;
    int m_picture = 0;
    QString m_tip;
};
