// Starts a program and times it, as seen from the X server: the milliseconds from the start
// until a top-level window with the given title is mapped, and the program's peak memory.
//
//   window_watch [--close-after MS] TITLE PROGRAM [ARGS...]
//
// TITLE "-" takes the first window that is mapped, whatever its title: a program that quits as
// soon as it is shown (bench/bare_qt) can be gone before its title could be read.
// Prints "map_ms=<ms> maxrss_kb=<kB> status=<exit status>". With --close-after, the window is
// asked to close (as by its close button) that many milliseconds after it is mapped; without
// it, the program is expected to end by itself. Needs an X server without a window manager,
// so that top-level windows are children of the root window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::string property(Display* dpy, Window w, Atom name, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(dpy, w, name, 0, 1024, False, type, &actual, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (actual != None && format == 8)
            text.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return text;
}

std::string title(Display* dpy, Window w) {
    const std::string utf8 = property(dpy, w, XInternAtom(dpy, "_NET_WM_NAME", False),
                                      XInternAtom(dpy, "UTF8_STRING", False));
    return utf8.empty() ? property(dpy, w, XA_WM_NAME, AnyPropertyType) : utf8;
}

// Waits for the next X event at most ms milliseconds; false on time-out.
bool nextEvent(Display* dpy, XEvent* event, int ms) {
    if (!XPending(dpy)) {
        pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
        if (poll(&fd, 1, ms) <= 0)
            return false;
    }
    XNextEvent(dpy, event);
    return true;
}

// Windows can go before their title is read (the splash does): not an error here.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

void askToClose(Display* dpy, Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &e);
    XFlush(dpy);
}
} // namespace

int main(int argc, char* argv[]) {
    int closeAfter = -1;
    int arg = 1;
    if (argc > 2 && std::strcmp(argv[1], "--close-after") == 0) {
        closeAfter = std::atoi(argv[2]);
        arg = 3;
    }
    if (argc - arg < 2) {
        std::fprintf(stderr, "usage: %s [--close-after MS] TITLE PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string wanted = argv[arg];
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "window_watch: no X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ConnectionNumber(dpy));
        execvp(argv[arg + 1], argv + arg + 1);
        _exit(127);
    }

    double mapped = -1;
    Window window = None;
    bool ended = false;
    Clock::time_point endedAt;
    int status = 0;
    rusage usage{};
    while (mapped < 0 && msSince(start) < 20000) {
        XEvent event;
        if (nextEvent(dpy, &event, 50) && event.type == MapNotify &&
            (wanted == "-" || title(dpy, event.xmap.window) == wanted)) {
            mapped = msSince(start);
            window = event.xmap.window;
        }
        // The server can still be working through what a program sent just before it ended:
        // give it a moment before deciding that the window never came.
        if (!ended && wait4(pid, &status, WNOHANG, &usage) == pid) {
            ended = true;
            endedAt = Clock::now();
        }
        if (mapped < 0 && ended && msSince(endedAt) > 1000) {
            std::fprintf(stderr, "window_watch: the program ended before '%s' was shown\n",
                         wanted.c_str());
            return 1;
        }
    }
    if (mapped < 0) {
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::fprintf(stderr, "window_watch: no window '%s' within 20 s\n", wanted.c_str());
        return 1;
    }
    if (closeAfter >= 0 && !ended) {
        usleep(static_cast<useconds_t>(closeAfter) * 1000);
        askToClose(dpy, window);
    }

    const Clock::time_point waitStart = Clock::now();
    while (!ended && msSince(waitStart) < 10000) {
        if (wait4(pid, &status, WNOHANG, &usage) == pid)
            ended = true;
        else
            usleep(5000);
    }
    if (!ended) {
        kill(pid, SIGKILL);
        wait4(pid, &status, 0, &usage);
        std::fprintf(stderr, "window_watch: the program did not end; killed\n");
        return 1;
    }
    std::printf("map_ms=%.1f maxrss_kb=%ld status=%d\n", mapped, usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    XCloseDisplay(dpy);
    return 0;
}
