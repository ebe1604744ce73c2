#include "platform/TrayIcon.h"

#include <QCursor>
#include <QIcon>
#include <QSystemTrayIcon>

QIcon trayPicture(int index)
{
    return QIcon(index == 1 ? QStringLiteral(":/porlune/icons/tray1.png")
                            : QStringLiteral(":/porlune/icons/tray0.png"));
}

QtTrayIcon::QtTrayIcon(QObject* parent) : ITrayIcon(parent)
{
}

QtTrayIcon::~QtTrayIcon()
{
    remove();
}

void QtTrayIcon::apply(int picture, const QString& tip)
{
    if (picture < 0 || picture >= PictureCount)
        picture = 0;
    if (picture != m_picture || m_icon->icon().isNull())
        m_icon->setIcon(trayPicture(picture));
    if (m_icon->toolTip() != tip)
        m_icon->setToolTip(tip);
    m_picture = picture;
    m_tip = tip;
}

void QtTrayIcon::add(int picture, const QString& tip)
{
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        // Button presses only: Qt reports a left press as Trigger and a right
        // press as Context, which is what the icon answers to.
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                Q_EMIT leftClicked(QCursor::pos());
            else if (reason == QSystemTrayIcon::Context)
                Q_EMIT rightClicked(QCursor::pos());
        });
    }
    apply(picture, tip);
    m_added = true;
    m_icon->show();
}

bool QtTrayIcon::isShownInArea() const
{
    return m_added && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::modify(int picture, const QString& tip)
{
    if (!m_added)
        return;
    apply(picture, tip);
}

void QtTrayIcon::remove()
{
    if (!m_icon)
        return;
    m_added = false;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
}

void QtTrayIcon::showMessage(const QString& title, const QString& text)
{
    if (!m_added || !m_icon)
        return;
    m_icon->showMessage(title, text, trayPicture(0));
}
