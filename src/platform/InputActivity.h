#pragma once

#include <QObject>

#include <memory>

// Whether the machine was used since the last poll: a key or a mouse button
// pressed anywhere on the screen, whatever window has the focus. Moving the
// mouse alone is not use. Presses are only watched, never taken away from the
// window they go to.
class IInputActivity : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // True when a key or button was pressed since the previous call (or since
    // the service was made); each call starts a new period.
    virtual bool usedSincePoll() = 0;
    // False where presses cannot be watched: usedSincePoll then always says
    // true, so that nobody is ever marked absent while at the machine.
    virtual bool isAvailable() const = 0;
};

// Where there is no X display (offscreen, Wayland): reports use at every poll.
class NullInputActivity final : public IInputActivity
{
    Q_OBJECT

public:
    using IInputActivity::IInputActivity;
    bool usedSincePoll() override { return true; }
    bool isAvailable() const override { return false; }
};

// On an X display with the X Input extension (2.0 or later): raw key and
// button presses selected on the root window of a connection of its own. The
// null service otherwise.
std::unique_ptr<IInputActivity> createInputActivity();
