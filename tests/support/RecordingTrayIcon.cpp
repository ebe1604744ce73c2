#include "support/RecordingTrayIcon.h"

void RecordingTrayIcon::add(int picture, const QString& tip)
{
    m_calls.append({Operation::Add, picture, tip});
    m_added = true;
    m_picture = picture;
    m_tip = tip;
}

void RecordingTrayIcon::modify(int picture, const QString& tip)
{
    m_calls.append({Operation::Modify, picture, tip});
    if (!m_added)
        return; // as the system's: no icon, nothing changes
    m_picture = picture;
    m_tip = tip;
}

void RecordingTrayIcon::remove()
{
    m_calls.append({Operation::Delete, m_picture, QString()});
    m_added = false;
}

QList<int> RecordingTrayIcon::pictureHistory() const
{
    QList<int> out;
    for (const Call& c : m_calls)
        if (c.operation != Operation::Delete && (out.isEmpty() || out.last() != c.picture))
            out.append(c.picture);
    return out;
}

void RecordingTrayIcon::showMessage(const QString& title, const QString& text)
{
    if (m_added) // as the system's: no icon, no notification
        m_notifications.append({title, text});
}
