#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

class QIcon;
class QSystemTrayIcon;

// The notification-area (tray) icon: added with one of two pictures and a tip,
// changed, removed. A left or right button press on it is reported with the
// screen position of the cursor. Windows talk to this interface; tests install
// a recording double.
class ITrayIcon : public QObject
{
    Q_OBJECT

public:
    // The operations by the numbers the program uses for them.
    enum class Operation { Add = 0, Modify = 1, Delete = 2 };
    // Picture 0 is the normal icon, picture 1 the alternate one (blinking, mail).
    static constexpr int PictureCount = 2;

    using QObject::QObject;

    // Shows the icon; on an icon already shown it acts as modify.
    virtual void add(int picture, const QString& tip) = 0;
    // Changes picture and tip of the icon shown; does nothing when none is.
    virtual void modify(int picture, const QString& tip) = 0;
    virtual void remove() = 0;

    virtual bool isAdded() const = 0;
    // Whether a notification area shows the icon now, so that a click on it
    // can bring a hidden window back. Desktops without one show nothing.
    virtual bool isShownInArea() const { return isAdded(); }
    virtual int picture() const = 0;
    virtual QString tip() const = 0;
    // A desktop notification from the icon (the freedesktop notification
    // service where one runs, else the icon's own balloon); nothing without
    // an icon shown.
    virtual void showMessage(const QString& /*title*/, const QString& /*text*/) {}

Q_SIGNALS:
    void leftClicked(const QPoint& globalPos);
    void rightClicked(const QPoint& globalPos);
};

// The two pictures shipped with the program (index 0 or 1; others give 0).
QIcon trayPicture(int index);

// The system's tray icon (QSystemTrayIcon). Where the desktop has no
// notification area the icon stays invisible; nothing is reported.
class QtTrayIcon final : public ITrayIcon
{
    Q_OBJECT

public:
    explicit QtTrayIcon(QObject* parent = nullptr);
    ~QtTrayIcon() override;

    void add(int picture, const QString& tip) override;
    void modify(int picture, const QString& tip) override;
    void remove() override;
    bool isAdded() const override { return m_added; }
    bool isShownInArea() const override;
    int picture() const override { return m_picture; }
    QString tip() const override { return m_tip; }
    void showMessage(const QString& title, const QString& text) override;

private:
    void apply(int picture, const QString& tip);

    QSystemTrayIcon* m_icon = nullptr;
    bool m_added = false;
    int m_picture = 0;
    QString m_tip;
};
