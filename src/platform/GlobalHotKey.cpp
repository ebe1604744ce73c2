#include "platform/GlobalHotKey.h"

#include "platform/HotKeyCode.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QList>
#include <QTimer>

#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#endif

#if QT_CONFIG(xcb)
namespace {

// Xlib reports errors of a request to one handler for the whole process. The
// trap below installs its own only around its grab requests and the round
// trip that brings their errors back, on the one UI thread; this flag is where
// the handler leaves its finding.
bool g_grabFailed = false;

int trapError(Display*, XErrorEvent* error)
{
    // BadAccess: another client holds the combination. Anything else means
    // the grab did not happen either.
    Q_UNUSED(error);
    g_grabFailed = true;
    return 0;
}

class ErrorTrap
{
public:
    explicit ErrorTrap(Display* dpy) : m_dpy(dpy)
    {
        XSync(m_dpy, False); // earlier errors are not ours
        g_grabFailed = false;
        m_previous = XSetErrorHandler(trapError);
    }
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    bool failed()
    {
        XSync(m_dpy, False);
        return g_grabFailed;
    }

private:
    Display* m_dpy;
    XErrorHandler m_previous = nullptr;
};

// The modifier bit that carries a key (NumLock, ScrollLock, Alt); 0 if none does.
unsigned int modifierMaskOf(Display* dpy, KeySym keysym)
{
    const KeyCode keycode = XKeysymToKeycode(dpy, keysym);
    if (keycode == 0)
        return 0;
    XModifierKeymap* map = XGetModifierMapping(dpy);
    if (!map)
        return 0;
    unsigned int mask = 0;
    for (int mod = 0; mod < 8 && mask == 0; ++mod)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[mod * map->max_keypermod + k] == keycode) {
                mask = 1u << mod;
                break;
            }
    XFreeModifiermap(map);
    return mask;
}

class X11GlobalHotKey final : public IGlobalHotKey, public QAbstractNativeEventFilter
{
public:
    explicit X11GlobalHotKey(Display* dpy) : m_dpy(dpy), m_root(DefaultRootWindow(dpy))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11GlobalHotKey() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
        unregisterHotKey();
    }

    bool registerHotKey(int code) override
    {
        unregisterHotKey();
        KeyCode keycode = 0;
        for (quint32 keysym : HotKeyCode::keysymsOf(code)) {
            keycode = XKeysymToKeycode(m_dpy, keysym);
            if (keycode != 0)
                break;
        }
        if (keycode == 0)
            return false;

        unsigned int altMask = modifierMaskOf(m_dpy, XK_Alt_L);
        if (altMask == 0)
            altMask = Mod1Mask;
        const int flags = HotKeyCode::flagsOf(code);
        unsigned int modifiers = 0;
        if (flags & HotKeyCode::Shift)
            modifiers |= ShiftMask;
        if (flags & HotKeyCode::Ctrl)
            modifiers |= ControlMask;
        if (flags & HotKeyCode::Alt)
            modifiers |= altMask;

        // The key must work whatever lock keys are on: grab it under every
        // combination of CapsLock, NumLock and ScrollLock.
        const unsigned int locks[] = {LockMask, modifierMaskOf(m_dpy, XK_Num_Lock),
                                      modifierMaskOf(m_dpy, XK_Scroll_Lock)};
        QList<unsigned int> combinations {0};
        for (unsigned int lock : locks) {
            if (lock == 0 || (lock & modifiers))
                continue;
            const QList<unsigned int> before = combinations;
            for (unsigned int c : before)
                if (!combinations.contains(c | lock))
                    combinations.append(c | lock);
        }

        ErrorTrap trap(m_dpy);
        for (unsigned int extra : combinations)
            XGrabKey(m_dpy, keycode, modifiers | extra, m_root, False, GrabModeAsync, GrabModeAsync);
        if (trap.failed()) {
            // Taken by another program: give back the combinations we did get.
            for (unsigned int extra : combinations)
                XUngrabKey(m_dpy, keycode, modifiers | extra, m_root);
            XSync(m_dpy, False);
            return false;
        }
        m_code = code;
        m_keycode = keycode;
        m_modifiers = modifiers;
        m_relevant = ShiftMask | ControlMask | altMask;
        m_combinations = combinations;
        return true;
    }

    void unregisterHotKey() override
    {
        if (m_code == 0)
            return;
        ErrorTrap trap(m_dpy);
        for (unsigned int extra : m_combinations)
            XUngrabKey(m_dpy, m_keycode, m_modifiers | extra, m_root);
        trap.failed();
        m_code = 0;
        m_keycode = 0;
        m_combinations.clear();
    }

    int registeredCode() const override { return m_code; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (m_code == 0 || eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (key->detail != m_keycode || key->event != m_root || (key->state & m_relevant) != m_modifiers)
            return false;
        // Restoring a window from inside the event dispatch would reenter it.
        QTimer::singleShot(0, this, [this] { Q_EMIT activated(); });
        return true;
    }

private:
    Display* m_dpy;
    Window m_root;
    int m_code = 0;
    KeyCode m_keycode = 0;
    unsigned int m_modifiers = 0;
    unsigned int m_relevant = 0;
    QList<unsigned int> m_combinations;
};

} // namespace
#endif

std::unique_ptr<IGlobalHotKey> createGlobalHotKey()
{
#if QT_CONFIG(xcb)
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>(); x11 && x11->display())
            return std::make_unique<X11GlobalHotKey>(x11->display());
    }
#endif
    return std::make_unique<NullGlobalHotKey>();
}
