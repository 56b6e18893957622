// Times one start of a program: from just before its fork and exec to the
// X server's MapNotify for its first top-level window, then closes that
// window as the desktop would (WM_DELETE_WINDOW) and reads the process's
// peak resident memory from wait4(), the figure /usr/bin/time -v reports.
//
//   pikora-bench-startup-probe [--settle=MS] [--timeout=MS] -- COMMAND [ARG...]
//
// Prints one line: "map_ms=12.34 maxrss_kb=56789 status=0".
//
// The probe listens before it forks: SubstructureNotify on the root window
// reports every window created there; each gets StructureNotify at once, so
// its MapNotify comes to us directly, whoever reparents it. A window counts
// when its _NET_WM_PID is the child's and it is not override-redirect. A
// window mapped in the short gap before its selection took effect is caught
// by asking for its map state right after selecting.
//
// --settle waits this long after the map before closing, so the peak memory
// includes the first paint and whatever runs right after start-up.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double nowMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Windows come and go while we look at them; a BadWindow is no error here.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

struct Atoms {
    Atom pid, protocols, deleteWindow;
};

long windowPid(Display* display, Window window, const Atoms& atoms)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, atoms.pid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data)
            == Success
        && data) {
        if (type == XA_CARDINAL && format == 32 && count == 1)
            pid = *reinterpret_cast<long*>(data);
        XFree(data);
    }
    return pid;
}

bool isChildWindow(Display* display, Window window, pid_t child, const Atoms& atoms)
{
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.override_redirect)
        return false;
    return windowPid(display, window, atoms) == child;
}

void sendDelete(Display* display, Window window, const Atoms& atoms)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atoms.protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(atoms.deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// Waits for the child, at most timeoutMs; then asks it to end, then insists.
// True when it ended by itself.
bool reap(pid_t child, double timeoutMs, int* status, rusage* usage)
{
    const struct {
        int sig;
        double waitMs;
    } phases[] = {{0, timeoutMs}, {SIGTERM, 2000}, {SIGKILL, 1e9}};
    for (const auto& phase : phases) {
        if (phase.sig)
            kill(child, phase.sig);
        const double deadline = nowMs() + phase.waitMs;
        do {
            const pid_t done = wait4(child, status, WNOHANG, usage);
            if (done == child)
                return phase.sig == 0;
            if (done < 0 && errno != EINTR)
                return false;
            usleep(2000);
        } while (nowMs() < deadline);
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    double settleMs = 1000, timeoutMs = 10000;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string arg = argv[first];
        if (arg == "--") {
            ++first;
            break;
        }
        if (arg.rfind("--settle=", 0) == 0)
            settleMs = std::atof(arg.c_str() + 9);
        else if (arg.rfind("--timeout=", 0) == 0)
            timeoutMs = std::atof(arg.c_str() + 10);
        else
            break;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--settle=MS] [--timeout=MS] -- COMMAND [ARG...]\n", argv[0]);
        return 2;
    }

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup-probe: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
    const Atoms atoms {XInternAtom(display, "_NET_WM_PID", False), XInternAtom(display, "WM_PROTOCOLS", False),
                       XInternAtom(display, "WM_DELETE_WINDOW", False)};
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        execvp(argv[first], argv + first);
        std::perror(argv[first]);
        _exit(127);
    }

    Window mapped = None;
    double mapMs = -1;
    int status = 0;
    rusage usage {};
    bool exited = false;
    const double deadline = start + timeoutMs;
    while (mapped == None && nowMs() < deadline) {
        if (!XPending(display)) {
            pollfd fd {ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 5);
            if (wait4(child, &status, WNOHANG, &usage) == child) {
                exited = true;
                break;
            }
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        const double at = nowMs();
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            const Window window = event.xcreatewindow.window;
            XSelectInput(display, window, StructureNotifyMask);
            XWindowAttributes attributes {};
            if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsUnmapped
                && isChildWindow(display, window, child, atoms)) {
                mapped = window;
                mapMs = nowMs() - start;
            }
        } else if (event.type == MapNotify && event.xmap.event == event.xmap.window
                   && isChildWindow(display, event.xmap.window, child, atoms)) {
            mapped = event.xmap.window;
            mapMs = at - start;
        }
    }

    if (!exited) {
        if (mapped != None) {
            const double settleUntil = nowMs() + settleMs;
            while (nowMs() < settleUntil) {
                while (XPending(display)) {
                    XEvent event;
                    XNextEvent(display, &event);
                }
                usleep(5000);
            }
            sendDelete(display, mapped, atoms);
        }
        if (!reap(child, mapped != None ? timeoutMs : 0, &status, &usage))
            status = -1; // had to be killed
    }
    XCloseDisplay(display);

    if (mapped == None) {
        std::fprintf(stderr, "startup-probe: no window of %s was mapped\n", argv[first]);
        return 1;
    }
    const int code = status < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("map_ms=%.2f maxrss_kb=%ld status=%d\n", mapMs, usage.ru_maxrss, code);
    return code == 0 ? 0 : 1;
}
