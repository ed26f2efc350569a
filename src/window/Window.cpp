// Window management: the window made and destroyed, the WM aspect hint on
// X11, and the window model: the situation the desktop has the window in,
// read anew whenever it may have changed, and one step for each change.
#include "window/Window.h"

#include "assets/Assets.h"
#include "interaction/Actions.h"
#include "presentation/Table.h"
#include "window/Placement.h"
#include "window/WindowFit.h"
#include "window/WindowSystem.h"
#include "window/WindowTesting.h"

SDL_Window* window = nullptr;

namespace {

constexpr Uint32 fullscreenFlags = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP;

bool isFullscreen(Uint32 flags) { return (flags & fullscreenFlags) != 0; }

// The client size of the last fitting.
int fittedWidth = W, fittedHeight = H;

// Where the window goes back to when it leaves the game's own full screen:
// its place and size, and whether the desktop had it sized (a tile, or
// maximised under a compositor, which it is again on the way back).
struct Return {
    SDL_Rect bounds = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, W, H};
    bool desktopSized = false;
    bool maximized = false;
};
Return returnTo;

// Full screen that the desktop entered on its own: it keeps the place and
// size to return to, which the game never saw settle.
bool outsideFullscreen = false;
// Full screen as last seen: on X11 in the window manager's state of the
// window, elsewhere in SDL's flags, which there follow the compositor. A
// change that the game did not ask for came from outside.
bool managerFullscreen = false;
bool sdlFullscreen = false;
// Shown at least once: a window not mapped before that is not yet hidden.
bool everShown = false;
// Back from hidden, and not yet seen standing inside the usable area.
bool returning = false;

// The frame around the window as last seen while it was not maximised: a
// maximised window's frame is another (often no sides, a lower title bar),
// and the window it is fitted to is a restored one.
WindowBorders windowedBorders;
bool windowedBordersKnown = false;
// The usable area of the last windowed fitting: a window whose area is
// another now was moved onto another monitor.
SDL_Rect fittedArea{};
bool fittedAreaKnown = false;

// A maximised window is answered with the largest table-shaped window that
// fits, centred. The window manager's own steps (one direction at a time,
// its restore geometry, the frame it restores) come back as window events
// after that answer; until the window is seen unmaximised at the size and
// place given, they are taken as steps, not as the user's resizes.
struct Settling {
    bool active = false;
    SDL_Point size{};
    SDL_Point seen{};  // the size of the round before
    int rounds = 0;
    Uint32 since = 0;
};
Settling settling;
// Bounds for a window manager that never lets the answer stand.
const int settlingRounds = 12;
const Uint32 settlingPatienceMs = 5000;
// Rounds of the fitting against a window manager's own rounding; each takes
// a unit or so off.
const int fittingRounds = 8;

// A size that the desktop keeps however the window asks (a tiling manager's
// tile, a maximised state it does not give up), until it gives another;
// {0, 0} for none.
SDL_Point keptSize{};

// What the window system says of the window now.
struct Seen {
    Uint32 flags = 0;
    ManagerState manager;
    bool compositor = false;  // Wayland: the compositor places and sizes
    SDL_Point size{};         // as SDL has it
    bool hidden() const {
        return (flags & SDL_WINDOW_MINIMIZED) || manager.hidden || (everShown && (flags & SDL_WINDOW_HIDDEN));
    }
    bool fullscreen() const { return isFullscreen(flags) || manager.fullscreen; }
    // The manager's state where it tells: SDL's flag says maximised only in
    // both directions, and only once SDL has heard of it.
    bool maximized() const { return manager.told ? manager.maximized : (flags & SDL_WINDOW_MAXIMIZED) != 0; }
};

Seen look() {
    Seen seen;
    seen.flags = SDL_GetWindowFlags(window);
    if (seen.flags & SDL_WINDOW_SHOWN) everShown = true;
    seen.manager = managerState(window);
    seen.compositor = compositorPlacesWindows(window);
    SDL_GetWindowSize(window, &seen.size.x, &seen.size.y);
    return seen;
}

enum class Situation { Hidden, OwnFullscreen, DesktopSized, Windowed };

Situation situationOf(const Seen& seen) {
    if (seen.hidden()) return Situation::Hidden;
    // A window manager may give a window the screen's size before it marks
    // it full screen.
    if (seen.fullscreen() || coversScreen(window))
        return outsideFullscreen ? Situation::DesktopSized : Situation::OwnFullscreen;
    if (seen.compositor && seen.maximized()) return Situation::DesktopSized;
    if (seen.size == keptSize) return Situation::DesktopSized;
    return Situation::Windowed;
}

void setFitted(SDL_Point size) {
    fittedWidth = size.x;
    fittedHeight = size.y;
}

// Title bar and task switcher show this instead of a generic icon; a game
// without it is still a game, so a failure only goes unnoticed.
void setWindowIcon() {
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(window_icon_bmp, static_cast<int>(window_icon_bmp_size)), 1);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

// Nothing asked of the window manager is followed any more: a place or size
// on its way, or the steps after a maximise answered.
void dropRequests() {
    dropPlacement();
    settling.active = false;
}

// --- Hidden ---------------------------------------------------------------

// Minimised or unmapped: nothing is asked for, and what the window shows
// while it is away or coming back is nobody's landing.
void becomeHidden() {
    returning = true;
    dropRequests();
}

// --- Sized by the desktop -------------------------------------------------

// The desktop keeps `size` however it is asked: SDL, which takes a size it
// asked for as granted, is told the size, and the table is shown in it
// between bars.
void keepDesktopSize(SDL_Point size) {
    dropRequests();
    keptSize = size;
    setFitted(size);
    SDL_SetWindowSize(window, size.x, size.y);
    setWindowAspectHint();
}

// The desktop's rectangle stands. A compositor's size SDL follows by
// itself, and a size the game set there would be committed against the
// compositor's; on X11 SDL is told the size the server has.
void standDesktopSize(const Seen& seen) {
    if (seen.fullscreen() || coversScreen(window)) return;
    const SDL_Point real = seen.compositor ? seen.size : clientSize(window);
    if (real.x <= 0 || real.y <= 0) return;
    if (real != seen.size) {
        keepDesktopSize(real);
        return;
    }
    setFitted(real);
    setWindowAspectHint();
}

// --- Windowed ---------------------------------------------------------------

// The frame to fit with: the window's own, but a maximised window's that of
// the restored window it becomes.
WindowBorders frameBorders(bool maximized) {
    WindowBorders borders;
    const bool known =
        SDL_GetWindowBordersSize(window, &borders.top, &borders.left, &borders.bottom, &borders.right) == 0;
    if (!maximized && known) {
        windowedBorders = borders;
        windowedBordersKnown = true;
    } else if (maximized && windowedBordersKnown) {
        borders = windowedBorders;
    }
    return borders;
}

// Under a compositor a proposed size is a limit: the window takes the
// largest table-shaped size inside it. Where it goes, and how much room the
// desktop leaves, the compositor knows. One that holds the size (a tile)
// lets SDL commit none of it, and the drawable keeps its size: SDL is then
// told the compositor's size back.
void fitFloating(const Seen& seen) {
    const SDL_Point size =
        windowFitSize(seen.size.x, seen.size.y, false, seen.size.x, seen.size.y, WindowBorders{}, nullptr);
    if (size != seen.size) {
        SDL_Point before{}, after{};
        SDL_GetWindowSizeInPixels(window, &before.x, &before.y);
        SDL_SetWindowSize(window, size.x, size.y);
        SDL_GetWindowSizeInPixels(window, &after.x, &after.y);
        if (after == before) {
            keepDesktopSize(seen.size);
            return;
        }
    }
    keptSize = {};
    setFitted(size);
}

// Asks for the size a resize is answered with, and, where the window
// manager rounds it its own way (openbox makes the height follow the
// width), for the size the fitting gives its answer, round after round as
// the window events would, until a size stands. False when the manager keeps
// the window's size: then that size stands.
bool askForFittedSize(SDL_Point size, const WindowBorders& borders, const SDL_Rect* usable) {
    SDL_Point now = clientSize(window);
    for (int round = 0; round < fittingRounds; ++round) {
        const SizeAnswer answer = askForSize(window, size, now);
        if (answer.kept) {
            keepDesktopSize(now);
            return false;
        }
        setFitted(size);
        if (!answer.rounded) break;
        now = answer.size;
        size = windowFitSize(now.x, now.y, false, size.x, size.y, borders, usable);
    }
    setFitted(size);
    return true;
}

// Maximising asks for the largest window that fits, centred, never a
// maximised one; a manager that keeps the window maximised whatever it is
// asked (a tiled window under some compositors' X11 servers) keeps its size.
void answerMaximize(const Seen& seen, const WindowBorders& borders, const SDL_Rect* usable) {
    const SDL_Point size = windowFitSize(seen.size.x, seen.size.y, true, fittedWidth, fittedHeight, borders, usable);
    const SDL_Point before = clientSize(window);
    if (!settling.active) settling = {true, size, {}, 0, SDL_GetTicks()};
    settling.size = size;
    SDL_RestoreWindow(window);
    askManagerToUnmaximize(window);
    if (askForSize(window, size, before).kept) {
        keepDesktopSize(before);
        return;
    }
    keptSize = {};
    setFitted(size);
    if (usable) placeWindow(window, windowFitPosition(0, 0, size, true, borders, *usable), &size);
    setWindowAspectHint();
}

// The window manager's steps after a maximise answered: the answer is given
// again, centred with the frame the restored window really has, until it
// stands. False once the patience is spent: then the window is fitted anew.
bool settleMaximize(const Seen& seen, const WindowBorders& borders, const SDL_Rect* usable) {
    // A manager that rounds the answer its own way (openbox makes the height
    // follow the width) shows the same size a unit or so off round after
    // round: the fitting's rounds take it from there.
    const bool stuck = seen.size == settling.seen && seen.size != settling.size;
    settling.seen = seen.size;
    if (stuck || ++settling.rounds > settlingRounds || SDL_GetTicks() - settling.since > settlingPatienceMs) {
        settling.active = false;
        return false;
    }
    const SDL_Point size = settling.size;
    SDL_Point pending;
    if (seen.size != size && !sizePending(window, pending)) SDL_SetWindowSize(window, size.x, size.y);
    setFitted(size);
    if (usable) {
        const SDL_Point place = windowFitPosition(0, 0, size, true, borders, *usable);
        SDL_Point target;
        if (!placePending(target) || place != target) placeWindow(window, place, &size);
    }
    if (seen.size == size && !placementPending()) settling.active = false;
    setWindowAspectHint();
    return true;
}

// A resize by the user or the window manager: a table-shaped size after
// which edge moved, inside the usable area, the window kept inside it from
// where it is or was asked to go; but for a window coming back from hidden
// as it was, which passes through places of the window manager's own (an
// animation from the task bar) until it stands inside the area again.
void fitResized(const Seen& seen, const WindowBorders& borders, const SDL_Rect* usable) {
    SDL_Point size = windowFitSize(seen.size.x, seen.size.y, false, fittedWidth, fittedHeight, borders, usable);
    const bool resized = size.x != fittedWidth || size.y != fittedHeight || size != seen.size;
    if (size != seen.size && !askForFittedSize(size, borders, usable)) return;
    size = {fittedWidth, fittedHeight};
    keptSize = {};
    setFitted(size);
    if (usable) {
        SDL_Point now;
        if (!placePending(now)) now = clientPosition(window);
        SDL_Point place = windowFitPosition(now.x, now.y, size, false, borders, *usable);
        if (place == now || resized) returning = false;
        if (returning) place = now;
        // Made centred on a screen of several monitors, a new window may
        // start across two: it starts centred on the one it is placed on.
        if (!everShown && place != now) place = windowFitPosition(0, 0, size, true, borders, *usable);
        if (place != now) placeWindow(window, place);
    }
    setWindowAspectHint();
}

void fitWindowed(const Seen& seen) {
    if (seen.compositor) {
        fitFloating(seen);
        return;
    }
    const bool maximized = seen.maximized();
    const WindowBorders borders = frameBorders(maximized);
    SDL_Rect usable = {0, 0, 0, 0};
    const bool hasUsable = usableArea(window, usable);
    fittedArea = usable;
    fittedAreaKnown = hasUsable;
    const SDL_Rect* area = hasUsable ? &usable : nullptr;
    if (maximized) {
        answerMaximize(seen, borders, area);
        return;
    }
    if (settling.active && settleMaximize(seen, borders, area)) return;
    // A size asked for and on its way: SDL already reports the request.
    SDL_Point pending;
    if (sizePending(window, pending)) {
        setFitted(pending);
        setWindowAspectHint();
        return;
    }
    fitResized(seen, borders, area);
}

// Moved onto another monitor: fitted inside it as after a resize.
void followMonitor() {
    SDL_Rect usable;
    if (!fittedAreaKnown || !usableArea(window, usable) || SDL_RectEquals(&usable, &fittedArea)) return;
    fitWindowToField();
}

// --- Full screen ------------------------------------------------------------

// Back to windowed as the window was before full screen, fitted to the
// screen as it is now (it may have changed meanwhile), as if neither edge
// had been dragged. A compositor brings back the size it had itself, a
// window manager that entered full screen on its own the place it kept,
// and a desktop that sized the window sizes it again.
void returnWindowed(bool theirs) {
    if (compositorPlacesWindows(window)) {
        if (returnTo.maximized) SDL_MaximizeWindow(window);
        return;
    }
    if (theirs) {
        awaitSize(window, {fittedWidth, fittedHeight});
        return;
    }
    const SDL_Rect& b = returnTo.bounds;
    SDL_Point size = {b.w, b.h};
    SDL_Point at = {b.x, b.y};
    SDL_Rect usable;
    if (!returnTo.desktopSized && usableArea(window, usable)) {
        const WindowBorders borders = frameBorders(true);
        size = windowFitSize(b.w, b.h, false, b.w, b.h, borders, &usable);
        at = windowFitPosition(b.x, b.y, size, false, borders, usable);
    }
    SDL_SetWindowSize(window, size.x, size.y);
    if (!returnTo.desktopSized) placeWindow(window, at, &size);
    setFitted(size);
    fitWindowToField();
}

// F11 from a window: its place and size kept to return to.
void enterOwnFullscreen() {
    const Seen seen = look();
    outsideFullscreen = false;
    returnTo.desktopSized = situationOf(seen) == Situation::DesktopSized;
    returnTo.maximized = seen.compositor && seen.maximized();
    returnTo.bounds.w = seen.size.x;
    returnTo.bounds.h = seen.size.y;
    const SDL_Point at = clientPosition(window);
    returnTo.bounds.x = at.x;
    returnTo.bounds.y = at.y;
    // SDL's step from full screen straight back to a maximised state
    // commits the full screen's size as the maximised one (libdecor leaves
    // the title bar in it), and a compositor may end the connection for it:
    // the window enters full screen from its floating state instead, once
    // the compositor has made it floating (an answer that arrived in the
    // middle of the switch would undo it in SDL), and is maximised again on
    // the way back.
    if (returnTo.maximized) {
        SDL_RestoreWindow(window);
        awaitCompositor(window);
    }
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    sdlFullscreen = isFullscreen(SDL_GetWindowFlags(window));
}

void leaveOwnFullscreen() {
    if (SDL_SetWindowFullscreen(window, 0) != 0) return;
    sdlFullscreen = false;
    const bool theirs = outsideFullscreen;
    outsideFullscreen = false;
    returnWindowed(theirs);
}

// The desktop switched full screen on its own: the game follows as if F11
// had been pressed, and SDL is told so that its own idea of the window
// agrees.
void fullscreenFromOutside(bool entered) {
    dropSelection();
    dropRequests();
    if (entered) {
        outsideFullscreen = true;
        if (!isFullscreen(SDL_GetWindowFlags(window))) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        const bool theirs = outsideFullscreen;
        outsideFullscreen = false;
        if (isFullscreen(SDL_GetWindowFlags(window))) SDL_SetWindowFullscreen(window, 0);
        returnWindowed(theirs);
    }
    sdlFullscreen = isFullscreen(SDL_GetWindowFlags(window));
}

void followFullscreen(const Seen& seen) {
    if (seen.manager.told) {
        // SDL's flags switch at once on F11, the manager's state later:
        // only a change of the state that SDL's flags do not share is news.
        if (seen.manager.fullscreen == managerFullscreen) return;
        managerFullscreen = seen.manager.fullscreen;
        if (managerFullscreen != isFullscreen(seen.flags)) fullscreenFromOutside(managerFullscreen);
    } else if (isFullscreen(seen.flags) != sdlFullscreen) {
        fullscreenFromOutside(!sdlFullscreen);
    }
}

}  // namespace

bool createWindow(SDL_Point size) {
    const auto make = [](SDL_Point at) {
        return SDL_CreateWindow("Zarn - Solitär", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, at.x, at.y,
                                SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    };
    window = make(size);
    // The high-DPI flag asks for a window sized in points, which SDL gives
    // under Wayland but not on X11: there the window is made anew at the
    // desktop's scale, centred as the first one was.
    const SDL_Point start = window ? startSizeAtDpi(size, desktopDpi(window)) : size;
    if (start != size) {
        SDL_DestroyWindow(window);
        window = make(start);
    }
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

void setWindowAspectHint() { keepAspectHint(window, W, H); }

void followWindowState() {
    if (!window) return;
    Seen seen = look();
    if (seen.hidden()) {
        becomeHidden();
        return;
    }
    followFullscreen(seen);
    seen = look();
    if (situationOf(seen) != Situation::Windowed || (seen.flags & SDL_WINDOW_MAXIMIZED)) return;
    // A size given up on, or come, is the fitting's to answer again.
    SDL_Point size;
    const bool sizeAwaited = sizePending(window, size);
    followPlacement(window);
    if (sizeAwaited && !sizePending(window, size))
        fitWindowToField();
    else
        followMonitor();
}

void windowSystemChanged() {
    followWindowState();
    fitWindowToField();
}

// A frame presented on a connection the compositor ended never returns
// (SDL waits for the compositor's go-ahead for good).
bool windowShown() {
    return window && !(SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) &&
           !connectionLost(window);
}

void fitWindowToField() {
    if (!window) return;
    const Seen seen = look();
    if (seen.size.x <= 0 || seen.size.y <= 0) return;
    switch (situationOf(seen)) {
    case Situation::Hidden:
        becomeHidden();
        break;
    case Situation::OwnFullscreen:
        break;
    case Situation::DesktopSized:
        standDesktopSize(seen);
        break;
    case Situation::Windowed:
        fitWindowed(seen);
        break;
    }
}

void toggleFullscreen() {
    dropSelection();
    if (!window) return;
    dropRequests();
    if (isFullscreen(SDL_GetWindowFlags(window)))
        leaveOwnFullscreen();
    else
        enterOwnFullscreen();
}

bool displayConnectionLost() {
    static bool said = false;
    if (!window || !connectionLost(window)) return false;
    if (!said) SDL_Log("%s", connectionLostMessage);
    said = true;
    return true;
}

WindowFitting windowFitting() { return {fittedWidth, fittedHeight, returnTo.bounds}; }

void setFittedSize(int width, int height) { setFitted({width, height}); }
