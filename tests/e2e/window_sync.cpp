// Waits until a window's program has read every event the X server sent it
// before: a _NET_WM_PING goes to the window behind all of them, and the
// program answers it on the root window once it has read that far. The
// end-to-end scripts play gestures in step with a game that lags behind
// (under valgrind), as a player who sees each answer before the next move.
//
// Given sizes, it resizes the window to each in turn, and asks for the next
// only once the program has drawn the window at the last: a walk through
// many sizes in which every size is drawn (asked for at once, the next size
// could be read in the same pass as the last, which would then never be
// drawn). Behind the resize go the ping and an Expose; the program reads them
// in this order, so everything it draws after its answer is drawn at the new
// size, and the Expose makes it draw once more after the answer. The drawing
// is seen through X's damage reports.
//
// Usage: e2e_window_sync WINDOW [SECONDS [WIDTH HEIGHT]...]
// Exit status: 0 answered (and drew every size), 1 no answer or no drawing
// within SECONDS (60) of asking, 2 bad use.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the next event that `wanted` accepts, dropping the others; false
// when none comes by the end.
template <typename Wanted>
bool await(Display* display, Clock::time_point end, Wanted wanted) {
    for (;;) {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if (wanted(e)) return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return false;
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left));
    }
}

// Sends a ping behind everything sent to the window so far, and an Expose of
// the whole window behind it when `redraw`, and waits for the answer; false
// when none comes by the end.
bool answers(Display* display, Window window, Clock::time_point end, bool redraw = false) {
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
    if (redraw) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        XEvent expose{};
        expose.xexpose.type = Expose;
        expose.xexpose.window = window;
        expose.xexpose.width = attributes.width;
        expose.xexpose.height = attributes.height;
        XSendEvent(display, window, False, ExposureMask, &expose);
    }
    XFlush(display);
    return await(display, end, [&](const XEvent& e) {
        return e.type == ClientMessage && e.xclient.message_type == protocols &&
               e.xclient.data.l[0] == static_cast<long>(ping) && e.xclient.data.l[1] == stamp &&
               static_cast<Window>(e.xclient.data.l[2]) == window;
    });
}

Clock::time_point after(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
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
    int status = 0;
    if (argc > 3) {
        int damageEvents = 0, damageErrors = 0;
        if (!XDamageQueryExtension(display, &damageEvents, &damageErrors)) {
            std::fprintf(stderr, "the X server reports no damage\n");
            XCloseDisplay(display);
            return 2;
        }
        // Every drawing reported by itself: nothing to acknowledge.
        XDamageCreate(display, window, XDamageReportRawRectangles);
        const auto drawn = [&](const XEvent& e) { return e.type == damageEvents + XDamageNotify; };
        for (int i = 3; i + 1 < argc && status == 0; i += 2) {
            const int width = std::atoi(argv[i]), height = std::atoi(argv[i + 1]);
            if (width <= 0 || height <= 0) {
                std::fprintf(stderr, "bad size %s x %s\n", argv[i], argv[i + 1]);
                status = 2;
                break;
            }
            XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
            if (!answers(display, window, after(seconds), true) || !await(display, after(seconds), drawn)) {
                std::fprintf(stderr, "window 0x%lx did not read or draw %d x %d within %.0f s\n", window, width, height,
                             seconds);
                status = 1;
            }
        }
    }
    if (status == 0 && !answers(display, window, after(seconds))) {
        std::fprintf(stderr, "window 0x%lx did not answer within %.0f s\n", window, seconds);
        status = 1;
    }
    XCloseDisplay(display);
    return status;
}
