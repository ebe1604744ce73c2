#pragma once

#include <QObject>

#include <memory>

// A key combination that reaches the program wherever the focus is. The code is
// setting 64's form (platform/HotKeyCode.h). Registering replaces the key held
// before. A key that cannot be had (none, unknown to the keyboard, or taken by
// another program) is not reported: the call returns false and nothing fires.
class IGlobalHotKey : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool registerHotKey(int code) = 0;
    virtual void unregisterHotKey() = 0;
    // The code held now; 0 when none.
    virtual int registeredCode() const = 0;

Q_SIGNALS:
    // The key was pressed (delivered from the event loop, never from inside
    // the system's event processing).
    void activated();
};

// For desktops without X11 (offscreen, Wayland): holds nothing.
class NullGlobalHotKey final : public IGlobalHotKey
{
    Q_OBJECT

public:
    using IGlobalHotKey::IGlobalHotKey;
    bool registerHotKey(int) override { return false; }
    void unregisterHotKey() override {}
    int registeredCode() const override { return 0; }
};

// The X11 implementation when the application runs on an X display (a grab of
// the key on the root window), the null one otherwise.
std::unique_ptr<IGlobalHotKey> createGlobalHotKey();
