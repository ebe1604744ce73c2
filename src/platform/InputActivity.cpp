#include "platform/InputActivity.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#endif

#if QT_CONFIG(xcb)
namespace {

// Raw events go to every client that selected them on the root window, beside
// the normal delivery to the focused window: nothing is grabbed. A connection
// of its own keeps them out of Qt's event handling; it is drained whenever the
// server sends something, so its queue stays short however long a poll waits.
class X11InputActivity final : public IInputActivity
{
public:
    X11InputActivity(Display* dpy, int xiOpcode) : m_dpy(dpy), m_xiOpcode(xiOpcode)
    {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawButtonPress);
        XIEventMask mask;
        mask.deviceid = XIAllMasterDevices;
        mask.mask_len = sizeof(bits);
        mask.mask = bits;
        XISelectEvents(m_dpy, DefaultRootWindow(m_dpy), &mask, 1);
        XFlush(m_dpy);
        m_notifier = new QSocketNotifier(ConnectionNumber(m_dpy), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { drain(); });
    }

    ~X11InputActivity() override
    {
        delete m_notifier;
        XCloseDisplay(m_dpy);
    }

    bool usedSincePoll() override
    {
        // Presses the server has sent but the loop has not yet seen count too.
        XSync(m_dpy, False);
        drain();
        const bool used = m_used;
        m_used = false;
        return used;
    }

    bool isAvailable() const override { return true; }

private:
    void drain()
    {
        while (XPending(m_dpy) > 0) {
            XEvent ev;
            XNextEvent(m_dpy, &ev);
            XGenericEventCookie* cookie = &ev.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode)
                continue;
            // The event type is in the cookie itself; its data is not needed.
            if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawButtonPress)
                m_used = true;
        }
    }

    Display* m_dpy;
    int m_xiOpcode;
    bool m_used = false;
    QSocketNotifier* m_notifier = nullptr;
};

std::unique_ptr<IInputActivity> openX11(const char* displayName)
{
    Display* dpy = XOpenDisplay(displayName);
    if (!dpy)
        return nullptr;
    int opcode = 0, event = 0, error = 0;
    // 2.1 and later deliver raw events whatever grab another client holds
    // (an open menu, a drag); asking for 2.2 gets that where the server has it.
    int major = 2, minor = 2;
    if (!XQueryExtension(dpy, "XInputExtension", &opcode, &event, &error)
        || XIQueryVersion(dpy, &major, &minor) != Success || major < 2) {
        XCloseDisplay(dpy);
        return nullptr;
    }
    return std::make_unique<X11InputActivity>(dpy, opcode);
}

} // namespace
#endif

std::unique_ptr<IInputActivity> createInputActivity()
{
#if QT_CONFIG(xcb)
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>(); x11 && x11->display()) {
            // The same display as the windows, on a connection of its own.
            if (auto service = openX11(DisplayString(x11->display())))
                return service;
        }
    }
#endif
    return std::make_unique<NullInputActivity>();
}
