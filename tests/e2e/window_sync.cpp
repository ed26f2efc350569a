// Waits until a window's program has read every event the X server sent it
// before: a _NET_WM_PING goes to the window behind all of them, and the
// program answers it on the root window once it has read that far. The
// end-to-end scripts play gestures in step with a game that lags behind
// (under valgrind), as a player who sees each answer before the next move.
//
// Usage: e2e_window_sync WINDOW [SECONDS]
// Exit status: 0 answered, 1 no answer within SECONDS (60), 2 bad use.
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WINDOW [SECONDS]\n", argv[0]);
        return 2;
    }
    const Window window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    const double seconds = argc > 2 ? std::atof(argv[2]) : 60;
    Display* display = XOpenDisplay(nullptr);
    if (!display || window == 0) {
        std::fprintf(stderr, "no display or no window\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    const long stamp = static_cast<long>(getpid());

    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = protocols;
    request.xclient.format = 32;
    request.xclient.data.l[0] = static_cast<long>(ping);
    request.xclient.data.l[1] = stamp;
    request.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &request);
    XFlush(display);

    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == ClientMessage && e.xclient.message_type == protocols &&
                e.xclient.data.l[0] == static_cast<long>(ping) && e.xclient.data.l[1] == stamp &&
                static_cast<Window>(e.xclient.data.l[2]) == window) {
                XCloseDisplay(display);
                return 0;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) break;
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left));
    }
    std::fprintf(stderr, "window 0x%lx did not answer within %.0f s\n", window, seconds);
    XCloseDisplay(display);
    return 1;
}
