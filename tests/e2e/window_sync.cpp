// Waits until a window's program has read every event the X server sent it
// before: a _NET_WM_PING goes to the window behind all of them, and the
// program answers it on the root window once it has read that far. The
// end-to-end scripts play gestures in step with a game that lags behind
// (under valgrind), as a player who sees each answer before the next move.
// Given sizes, it resizes the window to each in turn, each once the program
// has read the one before, and waits for the last: a walk through many sizes
// that the program meets one by one, in one process.
//
// Usage: e2e_window_sync WINDOW [SECONDS [WIDTH HEIGHT]...]
// Exit status: 0 answered, 1 no answer within SECONDS (60) of a ping, 2 bad use.
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// Sends a ping behind everything sent to the window so far and waits for its
// answer; false when none comes within the seconds.
bool answers(Display* display, Window window, long stamp, double seconds) {
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
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
                static_cast<Window>(e.xclient.data.l[2]) == window)
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return false;
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (argc > 3 && argc % 2 != 1)) {
        std::fprintf(stderr, "usage: %s WINDOW [SECONDS [WIDTH HEIGHT]...]\n", argv[0]);
        return 2;
    }
    const Window window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    const double seconds = argc > 2 ? std::atof(argv[2]) : 60;
    Display* display = XOpenDisplay(nullptr);
    if (!display || window == 0) {
        std::fprintf(stderr, "no display or no window\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    // Each ping is answered before the next goes: one stamp serves them all.
    const long stamp = static_cast<long>(getpid());
    for (int i = 3; i + 1 < argc; i += 2) {
        const int width = std::atoi(argv[i]), height = std::atoi(argv[i + 1]);
        if (width <= 0 || height <= 0) {
            std::fprintf(stderr, "bad size %s x %s\n", argv[i], argv[i + 1]);
            XCloseDisplay(display);
            return 2;
        }
        XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!answers(display, window, stamp, seconds)) {
            std::fprintf(stderr, "window 0x%lx did not answer within %.0f s after %d x %d\n", window, seconds, width,
                         height);
            XCloseDisplay(display);
            return 1;
        }
    }
    const bool answered = answers(display, window, stamp, seconds);
    if (!answered) std::fprintf(stderr, "window 0x%lx did not answer within %.0f s\n", window, seconds);
    XCloseDisplay(display);
    return answered ? 0 : 1;
}
