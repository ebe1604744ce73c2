// Starts a program and prints how long it took until a top-level window whose
// title begins with a given text was mapped on the X display, then kills it.
//   bench_start_watch TITLE-PREFIX TIMEOUT-MS PROGRAM [ARGS...]
// The display must have no window manager: top-level windows then stay
// children of the root window, whose map events this watches.
// With PORLUNE_START_TRACE set, the start and the map are also printed to
// stderr as the program's own start marks are (bench/startup-profile.sh).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string titleOf(Display* d, Window w)
{
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) == Success
        && data) {
        title.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(d, w, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

void traceMark(const char* label, std::chrono::steady_clock::time_point at)
{
    static const bool on = std::getenv("PORLUNE_START_TRACE") != nullptr;
    if (on)
        std::fprintf(stderr, "start-trace %.3f - %s\n",
                     std::chrono::duration<double, std::milli>(at.time_since_epoch()).count(), label);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_start_watch TITLE-PREFIX TIMEOUT-MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const int timeoutMs = std::atoi(argv[2]);
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const auto start = std::chrono::steady_clock::now();
    traceMark("exec", start);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[3], argv + 3);
        _exit(127);
    }
    const int fd = ConnectionNumber(d);
    int rc = 1;
    double ms = -1;
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && titleOf(d, e.xmap.window).rfind(prefix, 0) == 0) {
                const auto mapped = std::chrono::steady_clock::now();
                traceMark("map", mapped);
                ms = std::chrono::duration<double, std::milli>(mapped - start).count();
                rc = 0;
                goto done;
            }
        }
        const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > timeoutMs || waitpid(child, nullptr, WNOHANG) == child)
            goto done;
        fd_set in;
        FD_ZERO(&in);
        FD_SET(fd, &in);
        timeval tv {0, 5000};
        select(fd + 1, &in, nullptr, nullptr, &tv);
    }
done:
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    if (rc == 0)
        std::printf("%.1f\n", ms);
    else
        std::fprintf(stderr, "no window \"%s\" within %d ms\n", prefix.c_str(), timeoutMs);
    XCloseDisplay(d);
    return rc;
}
