#pragma once

class QWindow;

// Window-system details Qt leaves to the program.
namespace NativeWindow {

// A window hidden while minimized can keep the marks of its minimized state
// on the system window (X11: the "start iconic" hint and the window manager's
// "hidden" state); shown again it would come back minimized. Clears them on a
// window that is not shown; does nothing elsewhere (not X11, shown, no native
// window yet).
void clearMinimizedMarks(QWindow* window);

} // namespace NativeWindow
