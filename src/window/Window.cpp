// Window management: the window made and destroyed, the WM aspect hint on
// X11, fitting the window to the table's shape and the usable area after
// every resize, and full screen.
#include "window/Window.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "assets/Assets.h"
#include "interaction/Actions.h"
#include "presentation/Table.h"
#include "window/WindowSystem.h"
#include "window/WindowTesting.h"

SDL_Window* window = nullptr;

namespace {

// The client size of the last fitting, and the window's place and size
// before it went to full screen.
int fittedWidth = W, fittedHeight = H;
SDL_Rect windowedBounds = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, W, H};

// The frame around the window as last seen while it was not maximised: a
// maximised window's frame is another (often no sides, a lower title bar),
// and the window it is fitted to is a restored one.
WindowBorders windowedBorders;
bool windowedBordersKnown = false;
// A maximised window is answered with the largest table-shaped window that
// fits, centred. The window manager's own steps (one direction at a time,
// its restore geometry, the frame it restores) come back as window events
// after that answer; until the window is seen unmaximised at the size and
// place given, they are taken as steps, not as the user's resizes.
struct Settling {
    bool active = false;
    SDL_Point size{};
    int rounds = 0;
    Uint32 since = 0;
};
Settling settling;
// Bounds for a window manager that never lets the answer stand.
const int settlingRounds = 12;
const Uint32 settlingPatienceMs = 5000;
constexpr Uint32 fullscreenFlags = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP;

// The window manager or compositor entered full screen on its own: it keeps
// the place and size to return to, which the program never saw settle (a
// manager may move the window before it marks it full screen).
bool enteredFromOutside = false;
// Full screen as last seen: on X11 in the window manager's state of the
// window, elsewhere in SDL's flags, which there follow the compositor. A
// change that the program did not ask for came from outside.
bool managerFullscreen = false;
bool sdlFullscreen = false;

// A place asked for that the window has not been seen at yet, and with it
// the size when one was asked for too. A window manager moves the frame by
// the borders SDL last heard of, which lag behind a change of frame (leaving
// full screen, restoring a maximised window); one that keeps the aspect hint
// by rounding down takes a unit off a size it is asked for, so that every
// trip through full screen would leave the window smaller. The next request
// is corrected by how far the last one landed off.
struct Placement {
    bool pending = false;
    bool placed = false;  // a place was asked for
    SDL_Point target{};
    SDL_Point asked{};
    bool sized = false;  // a size was asked for, or is awaited from the window manager
    SDL_Point targetSize{};
    SDL_Point askedSize{};
    bool looked = false;  // seen once since the request: what it shows now is an answer
    int tries = 0;
    Uint32 since = 0;
};
Placement placement;
const int placementTries = 4;
// A size further off than this is the window manager's choice or the
// user's, not its rounding: it is left as it is.
const int sizeSlack = 4;
// A request the window manager ignores is given up; a window the user then
// moves is left where the user put it.
const Uint32 placementPatienceMs = 2000;

// A size that the window manager keeps however the window asks (a tiling
// manager's tile), until it gives another; {0, 0} for none.
SDL_Point keptSize{};

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

// Title bar and task switcher show this instead of a generic icon; a game
// without it is still a game, so a failure only goes unnoticed.
void setWindowIcon() {
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(window_icon_bmp, static_cast<int>(window_icon_bmp_size)), 1);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

}  // namespace

bool createWindow(SDL_Point size) {
    window = SDL_CreateWindow("Zarn - Solitär", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, size.x, size.y,
                              SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window) {
        SDL_Log("Window: %s", SDL_GetError());
        return false;
    }
    setWindowIcon();
    return true;
}

void destroyWindow() {
    SDL_DestroyWindow(window);
    window = nullptr;
}

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

void setWindowAspectHint() { keepAspectHint(window, W, H); }

namespace {

bool isFullscreen(Uint32 flags) { return (flags & fullscreenFlags) != 0; }

bool operator==(SDL_Point a, SDL_Point b) { return a.x == b.x && a.y == b.y; }
bool operator!=(SDL_Point a, SDL_Point b) { return !(a == b); }

// A unit or so apart: a window manager's rounding, not its choice.
bool nearSize(SDL_Point a, SDL_Point b) { return std::abs(a.x - b.x) <= sizeSlack && std::abs(a.y - b.y) <= sizeSlack; }

bool placementReached(SDL_Point now, SDL_Point size) {
    return (!placement.placed || now == placement.target) && (!placement.sized || size == placement.targetSize);
}

// Asks for the pending place (and size) once more, corrected by where the
// last request landed; done when the window is there. A size far from the
// one awaited is someone else's choice, and the fitting's to answer.
void askForPlacement() {
    const SDL_Point now = clientPosition(window);
    const SDL_Point size = clientSize(window);
    if (placementReached(now, size)) {
        placement.pending = false;
        return;
    }
    bool asked = false;
    if (placement.looked) {
        if (placement.sized && size != placement.targetSize && nearSize(size, placement.targetSize)) {
            placement.askedSize.x += placement.targetSize.x - size.x;
            placement.askedSize.y += placement.targetSize.y - size.y;
            SDL_SetWindowSize(window, placement.askedSize.x, placement.askedSize.y);
            asked = true;
        }
        placement.asked.x += placement.target.x - now.x;
        placement.asked.y += placement.target.y - now.y;
    }
    placement.looked = true;
    if (placement.placed) {
        SDL_SetWindowPosition(window, placement.asked.x, placement.asked.y);
        asked = true;
    }
    if (!asked) return;
    ++placement.tries;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) && placementReached(clientPosition(window), clientSize(window)))
        placement.pending = false;
}

// A new pending placement: to `at` where given, to `size` where given
// (already asked for by the caller, or awaited from the window manager).
void startPlacement(const SDL_Point* at, const SDL_Point* size) {
    placement = Placement{};
    placement.pending = true;
    placement.placed = at != nullptr;
    if (at) placement.target = placement.asked = *at;
    placement.sized = size != nullptr;
    if (size) placement.targetSize = placement.askedSize = *size;
    placement.since = SDL_GetTicks();
    askForPlacement();
}

void placeWindow(SDL_Point at, const SDL_Point* size = nullptr) { startPlacement(&at, size); }

// The window manager brings the window back to a place of its own choosing
// and to `size`, or to a unit or so off it: the size is made good.
void awaitSize(SDL_Point size) { startPlacement(nullptr, &size); }

// Asks for `size` for a window of client size `now`: false when the window
// manager kept `now` through two requests. SDL waits a tenth of a second for
// its answer to each.
bool askForSize(SDL_Point size, SDL_Point now) {
    for (int ask = 0; ask < 2; ++ask) {
        SDL_SetWindowSize(window, size.x, size.y);
        const SDL_Point answer = clientSize(window);
        if (answer == size || answer != now) return true;
    }
    return false;
}

// A size on its way, or a unit or so off it, that the fitting must not take
// for the user's.
bool sizePending() {
    return placement.pending && placement.sized && nearSize(clientSize(window), placement.targetSize);
}

// Another look at a pending place after the window moved or was resized.
void followPlacement() {
    if (!placement.pending) return;
    const Uint32 flags = SDL_GetWindowFlags(window);
    if (isFullscreen(flags) || (flags & SDL_WINDOW_MAXIMIZED)) return;
    if (placement.tries >= placementTries || SDL_GetTicks() - placement.since > placementPatienceMs) {
        placement.pending = false;
        return;
    }
    askForPlacement();
}

// Back from full screen to the place and size stored on entry, fitted as if
// neither edge had been dragged. A compositor brings back the size it had
// itself, and a size set before it has let go would be taken as the window's;
// a window manager that entered full screen on its own returns to the place
// it kept, and the size is made good if it comes back a unit or so off.
void restoreWindowed() {
    const bool theirs = enteredFromOutside;
    enteredFromOutside = false;
    if (compositorPlacesWindows(window)) return;
    if (theirs) {
        awaitSize({fittedWidth, fittedHeight});
        return;
    }
    const SDL_Point size = {windowedBounds.w, windowedBounds.h};
    SDL_SetWindowSize(window, size.x, size.y);
    placeWindow({windowedBounds.x, windowedBounds.y}, &size);
    fittedWidth = windowedBounds.w;
    fittedHeight = windowedBounds.h;
    fitWindowToField();
}

// The window manager or compositor switched full screen on its own: the
// game follows as if F11 had been pressed, and SDL is told so that its own
// idea of the window agrees.
void fullscreenFromOutside(bool entered) {
    dropSelection();
    placement.pending = false;
    settling.active = false;
    if (entered) {
        enteredFromOutside = true;
        if (!isFullscreen(SDL_GetWindowFlags(window))) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        if (isFullscreen(SDL_GetWindowFlags(window))) SDL_SetWindowFullscreen(window, 0);
        restoreWindowed();
    }
    sdlFullscreen = isFullscreen(SDL_GetWindowFlags(window));
}

}  // namespace

void followWindowState() {
    if (!window) return;
    const ManagerState state = managerState(window);
    const bool told = state.told;
    const bool byManager = state.fullscreen;
    if (told) {
        // SDL's flags switch at once on F11, the manager's state later:
        // only a change of the state that SDL's flags do not share is news.
        if (byManager != managerFullscreen) {
            managerFullscreen = byManager;
            if (byManager != isFullscreen(SDL_GetWindowFlags(window))) fullscreenFromOutside(byManager);
        }
    } else if (isFullscreen(SDL_GetWindowFlags(window)) != sdlFullscreen) {
        fullscreenFromOutside(!sdlFullscreen);
    }

    followPlacement();
}

void windowSystemChanged() {
    followWindowState();
    fitWindowToField();
}

bool windowShown() { return window && !(SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)); }

void fitWindowToField() {
    if (!window) return;
    const Uint32 flags = SDL_GetWindowFlags(window);
    if (isFullscreen(flags) || coversScreen(window)) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w <= 0 || h <= 0) return;
    if (compositorPlacesWindows(window)) {
        const bool maximized = flags & SDL_WINDOW_MAXIMIZED;
        // The compositor's size stands while the window is maximised (the
        // table is shown in it with bars); otherwise it is a limit, and the
        // fitting takes the largest table-shaped size inside it. Where the
        // window goes, and how much room the desktop leaves, the compositor
        // knows.
        if (!maximized) {
            const SDL_Point size = windowFitSize(w, h, false, w, h, WindowBorders{}, nullptr);
            if (size.x != w || size.y != h) SDL_SetWindowSize(window, size.x, size.y);
            fittedWidth = size.x;
            fittedHeight = size.y;
        }
        return;
    }

    WindowBorders borders;
    const bool bordersKnown =
        SDL_GetWindowBordersSize(window, &borders.top, &borders.left, &borders.bottom, &borders.right) == 0;
    // The manager's state where it tells: SDL's flag says maximised only in
    // both directions, and only once SDL has heard of it.
    const ManagerState state = managerState(window);
    const bool maximized = state.told ? state.maximized : (flags & SDL_WINDOW_MAXIMIZED) != 0;
    if (!maximized && bordersKnown) {
        windowedBorders = borders;
        windowedBordersKnown = true;
    } else if (maximized && windowedBordersKnown) {
        borders = windowedBorders;
    }
    SDL_Rect usable = {0, 0, 0, 0};
    const bool hasUsable = usableArea(window, usable);

    if (maximized) {
        // Maximising asks for the largest window that fits, never a maximised one.
        const SDL_Point size =
            windowFitSize(w, h, true, fittedWidth, fittedHeight, borders, hasUsable ? &usable : nullptr);
        if (!settling.active) settling = {true, size, 0, SDL_GetTicks()};
        settling.size = size;
        SDL_RestoreWindow(window);
        askManagerToUnmaximize(window);
        SDL_SetWindowSize(window, size.x, size.y);
        fittedWidth = size.x;
        fittedHeight = size.y;
        if (hasUsable) placeWindow(windowFitPosition(0, 0, size, true, borders, usable), &size);
        setWindowAspectHint();
        return;
    }
    if (settling.active) {
        if (++settling.rounds > settlingRounds || SDL_GetTicks() - settling.since > settlingPatienceMs) {
            settling.active = false;
        } else {
            const SDL_Point size = settling.size;
            if ((w != size.x || h != size.y) && !sizePending()) SDL_SetWindowSize(window, size.x, size.y);
            fittedWidth = size.x;
            fittedHeight = size.y;
            // Centred again with the frame the restored window really has.
            if (hasUsable) {
                const SDL_Point place = windowFitPosition(0, 0, size, true, borders, usable);
                if (!placement.pending || place != placement.target) placeWindow(place, &size);
            }
            if (w == size.x && h == size.y && !placement.pending) settling.active = false;
            setWindowAspectHint();
            return;
        }
    }

    // A size asked for and on its way: SDL already reports the request.
    if (sizePending()) {
        fittedWidth = placement.targetSize.x;
        fittedHeight = placement.targetSize.y;
        setWindowAspectHint();
        return;
    }
    if (w == keptSize.x && h == keptSize.y) {
        setWindowAspectHint();
        return;
    }
    keptSize = {};
    const SDL_Point size =
        windowFitSize(w, h, false, fittedWidth, fittedHeight, borders, hasUsable ? &usable : nullptr);
    if (size.x != w || size.y != h) {
        const SDL_Point before = clientSize(window);
        if (!askForSize(size, before)) {
            // The window manager keeps its size (a tiling manager's tile):
            // SDL, which takes a size it asked for as granted, is told the
            // size, and the table is shown in it between bars.
            keptSize = before;
            fittedWidth = before.x;
            fittedHeight = before.y;
            SDL_SetWindowSize(window, before.x, before.y);
            setWindowAspectHint();
            return;
        }
    }
    fittedWidth = size.x;
    fittedHeight = size.y;

    if (hasUsable) {
        // Kept inside from where it was asked to go, if it is not there yet.
        const SDL_Point now = placement.pending && placement.placed ? placement.target : clientPosition(window);
        const SDL_Point place = windowFitPosition(now.x, now.y, size, false, borders, usable);
        if (place.x != now.x || place.y != now.y) placeWindow(place);
    }
    setWindowAspectHint();
}

void toggleFullscreen() {
    dropSelection();
    if (!window) return;
    placement.pending = false;
    settling.active = false;
    if (isFullscreen(SDL_GetWindowFlags(window))) {
        if (SDL_SetWindowFullscreen(window, 0) != 0) return;
        sdlFullscreen = false;
        restoreWindowed();
        return;
    }
    enteredFromOutside = false;
    SDL_GetWindowSize(window, &windowedBounds.w, &windowedBounds.h);
    const SDL_Point at = clientPosition(window);
    windowedBounds.x = at.x;
    windowedBounds.y = at.y;
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    sdlFullscreen = isFullscreen(SDL_GetWindowFlags(window));
}

WindowFitting windowFitting() { return {fittedWidth, fittedHeight, windowedBounds}; }

void setFittedSize(int width, int height) {
    fittedWidth = width;
    fittedHeight = height;
}
