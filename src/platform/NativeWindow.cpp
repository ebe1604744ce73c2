#include "platform/NativeWindow.h"

#include <QGuiApplication>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace NativeWindow {

void clearMinimizedMarks(QWindow* window)
{
#if QT_CONFIG(xcb)
    if (!window || !window->handle())
        return;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* dpy = x11 ? x11->display() : nullptr;
    if (!dpy)
        return;
    const Window id = Window(window->winId());
    XWindowAttributes attributes;
    // On a mapped window these properties belong to the window manager.
    if (!XGetWindowAttributes(dpy, id, &attributes) || attributes.map_state != IsUnmapped)
        return;

    if (XWMHints* hints = XGetWMHints(dpy, id)) {
        if ((hints->flags & StateHint) && hints->initial_state != NormalState) {
            hints->initial_state = NormalState;
            XSetWMHints(dpy, id, hints);
        }
        XFree(hints);
    }

    // Qt merges its own states into what it finds here before mapping, so a
    // "hidden" left behind would stay.
    const Atom netWmState = XInternAtom(dpy, "_NET_WM_STATE", False);
    const Atom hidden = XInternAtom(dpy, "_NET_WM_STATE_HIDDEN", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, id, netWmState, 0, 1024, False, XA_ATOM, &type, &format, &count, &after, &data)
            == Success
        && data) {
        if (type == XA_ATOM && format == 32) {
            auto* atoms = reinterpret_cast<Atom*>(data); // format 32 arrives as long
            unsigned long kept = 0;
            for (unsigned long i = 0; i < count; ++i)
                if (atoms[i] != hidden)
                    atoms[kept++] = atoms[i];
            if (kept != count)
                XChangeProperty(dpy, id, netWmState, XA_ATOM, 32, PropModeReplace, data, int(kept));
        }
        XFree(data);
    }
    // Out before Qt's map request on the same connection.
    XFlush(dpy);
#else
    Q_UNUSED(window);
#endif
}

} // namespace NativeWindow
