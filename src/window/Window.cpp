// Window management: the WM aspect hint on X11, fitting the window to the
// table's shape and the usable area after every resize, and full screen.
#include "window/Window.h"

#include <algorithm>
#include <climits>

#include "interaction/Actions.h"
#include "presentation/Table.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers must not see.
#include <SDL_syswm.h>
#include <X11/Xutil.h>

int fittedWidth = W, fittedHeight = H;
SDL_Rect windowedBounds = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, W, H};

namespace {

// The frame around the window as last seen while it was not maximised: a
// maximised window's frame is another (often no sides, a lower title bar),
// and the window it is fitted to is a restored one.
WindowBorders windowedBorders;
bool windowedBordersKnown = false;
// A maximised window was just fitted and moved while the window system
// still reported its maximised frame: the fitting that follows, once the
// window is restored, centres it again with the frame it really has.
bool centreWhenSettled = false;
constexpr Uint32 fullscreenFlags = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP;

// The scale factors are kept as exact fractions: in doubles, 701 / 650 * 650
// floors to 700 and 266 / 760 * 650 (227.5) rounds down, each a unit short.
struct Ratio {
    long long num, den;  // den > 0
};

bool operator<(Ratio a, Ratio b) { return a.num * b.den < b.num * a.den; }

Ratio smaller(Ratio a, Ratio b) { return b < a ? b : a; }

// Nearest integer, halves away from zero; for num >= 0.
long long rounded(long long num, long long den) { return (2 * num + den) / (2 * den); }

int clamped(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// The largest table-shaped size at the given scale.
SDL_Point tableSizeAt(Ratio scale) {
    return {clamped(std::max(1LL, rounded(scale.num * W, scale.den))),
            clamped(std::max(1LL, rounded(scale.num * H, scale.den)))};
}

}  // namespace

SDL_Point windowFitSize(int w, int h, bool maximized, int lastWidth, int lastHeight, const WindowBorders& borders,
                        const SDL_Rect* usable) {
    // The room the usable area leaves for the window inside its frame.
    long long roomWide = 1, roomHigh = 1;
    if (usable) {
        roomWide = std::max(1LL, 1LL * usable->w - borders.left - borders.right);
        roomHigh = std::max(1LL, 1LL * usable->h - borders.top - borders.bottom);
    }
    // The window manager may mark the window maximised before it sends the
    // new size: the size read then is the old one, so a maximised window is
    // measured by the room it is given, not by what it reports.
    if (maximized && usable) {
        w = clamped(roomWide);
        h = clamped(roomHigh);
    }
    SDL_Point next = {w, h};
    if (w != lastWidth && h == lastHeight && !maximized) {
        next.y = clamped(std::max(1LL, rounded(1LL * H * w, W)));
    } else if (h != lastHeight && w == lastWidth && !maximized) {
        next.x = clamped(std::max(1LL, rounded(1LL * W * h, H)));
    } else {
        next = tableSizeAt(smaller({w, W}, {h, H}));
    }
    if (usable) {
        const Ratio limit = smaller({roomWide, W}, {roomHigh, H});
        if (limit < smaller({next.x, W}, {next.y, H})) {
            next.x = clamped(std::max(1LL, limit.num * W / limit.den));
            next.y = clamped(std::max(1LL, limit.num * H / limit.den));
        }
    }
    return next;
}

// SDL places the client area, so its top-left corner must stay inside the
// area by the left and top borders: otherwise the title bar ends above the
// screen, where the window can no longer be grabbed.
SDL_Point windowFitPosition(int x, int y, SDL_Point size, bool maximized, const WindowBorders& borders,
                            const SDL_Rect& usable) {
    const long long firstX = 1LL * usable.x + borders.left;
    const long long firstY = 1LL * usable.y + borders.top;
    const long long lastX = std::max(firstX, 1LL * usable.x + usable.w - size.x - borders.right);
    const long long lastY = std::max(firstY, 1LL * usable.y + usable.h - size.y - borders.bottom);
    if (maximized) return {clamped(firstX + (lastX - firstX) / 2), clamped(firstY + (lastY - firstY) / 2)};
    return {clamped(std::clamp<long long>(x, firstX, lastX)), clamped(std::clamp<long long>(y, firstY, lastY))};
}

void setWindowAspectHint() {
    if (!window) return;
    SDL_SysWMinfo info;
    SDL_zero(info);
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    const Window xwindow = info.info.x11.window;

    // A window without hints leaves the cleared structure as it is.
    XSizeHints hints;
    SDL_zero(hints);
    long supplied = 0;
    XGetWMNormalHints(display, xwindow, &hints, &supplied);
    // Called on every window event: once the hint is in place nothing is sent.
    if ((hints.flags & PAspect) && hints.min_aspect.x == W && hints.min_aspect.y == H && hints.max_aspect.x == W &&
        hints.max_aspect.y == H) {
        return;
    }
    hints.flags |= PAspect;
    hints.min_aspect.x = hints.max_aspect.x = W;
    hints.min_aspect.y = hints.max_aspect.y = H;
    XSetWMNormalHints(display, xwindow, &hints);
    XFlush(display);
}

void fitWindowToField() {
    if (!window) return;
    const Uint32 flags = SDL_GetWindowFlags(window);
    if (flags & fullscreenFlags) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w <= 0 || h <= 0) return;
    const bool maximized = flags & SDL_WINDOW_MAXIMIZED;

    WindowBorders borders;
    const bool bordersKnown =
        SDL_GetWindowBordersSize(window, &borders.top, &borders.left, &borders.bottom, &borders.right) == 0;
    if (!maximized && bordersKnown) {
        windowedBorders = borders;
        windowedBordersKnown = true;
    } else if (maximized && windowedBordersKnown) {
        borders = windowedBorders;
    }
    SDL_Rect usable = {0, 0, 0, 0};
    const bool hasUsable = SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window), &usable) == 0;

    const SDL_Point size =
        windowFitSize(w, h, maximized, fittedWidth, fittedHeight, borders, hasUsable ? &usable : nullptr);
    // Maximising asks for the largest window that fits, never a maximised one.
    if (maximized) SDL_RestoreWindow(window);
    if (size.x != w || size.y != h || maximized) SDL_SetWindowSize(window, size.x, size.y);
    // Settling after a maximise: the size is the one fitted then.
    const bool centre = maximized || (centreWhenSettled && w == fittedWidth && h == fittedHeight);
    centreWhenSettled = maximized;
    fittedWidth = size.x;
    fittedHeight = size.y;

    if (hasUsable) {
        int x = 0, y = 0;
        SDL_GetWindowPosition(window, &x, &y);
        const SDL_Point place = windowFitPosition(x, y, size, centre, borders, usable);
        if (place.x != x || place.y != y) SDL_SetWindowPosition(window, place.x, place.y);
    }
    setWindowAspectHint();
}

void toggleFullscreen() {
    dropSelection();
    if (!window) return;
    if (SDL_GetWindowFlags(window) & fullscreenFlags) {
        if (SDL_SetWindowFullscreen(window, 0) != 0) return;
        SDL_SetWindowSize(window, windowedBounds.w, windowedBounds.h);
        SDL_SetWindowPosition(window, windowedBounds.x, windowedBounds.y);
        fittedWidth = windowedBounds.w;
        fittedHeight = windowedBounds.h;
        fitWindowToField();
        return;
    }
    SDL_GetWindowSize(window, &windowedBounds.w, &windowedBounds.h);
    SDL_GetWindowPosition(window, &windowedBounds.x, &windowedBounds.y);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}
