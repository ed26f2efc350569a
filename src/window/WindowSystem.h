// What the window system behind SDL tells and allows beyond SDL's own calls:
// on X11, the window manager's state of the window, the real place and size
// of its client area, the aspect hint, and changes of the screen and its
// work area; under Wayland,
// that the compositor places and sizes windows itself. Read by the window
// fitting (Window.cpp); nothing here keeps state of the game's.
#pragma once

#include <SDL.h>

// Wayland: positions are the compositor's, and a size it proposes is a limit
// (a maximised or full-screen size is a must). Elsewhere the program may
// place and size its window, as X11 window managers let it.
bool compositorPlacesWindows(SDL_Window* window);

// The window manager's state of the window, whoever asked for it. `told` is
// false where the window system does not say (all but X11).
struct ManagerState {
    bool told = false;
    bool fullscreen = false;
    bool maximized = false;  // in either direction: some managers do one at a time
};
ManagerState managerState(SDL_Window* window);
// X11: asks the window manager to drop a maximised state in both directions,
// which SDL's restore does only when it saw both.
void askManagerToUnmaximize(SDL_Window* window);

// The client area's position on the screen as the window system has it now.
// On X11 read from the server: SDL's own figure follows the window manager's
// notices, which may name the frame's corner instead.
SDL_Point clientPosition(SDL_Window* window);
// The client area's size as the window system has it now. On X11 read from
// the server: SDL takes a size it asked for as granted until the window
// manager's answer arrives.
SDL_Point clientSize(SDL_Window* window);

// X11: the client area covers the whole screen, full screen in all but
// name: a window manager may give a window the screen's size before it marks
// it full screen.
bool coversScreen(SDL_Window* window);

// The usable area of the window's display, false when unknown. On X11 also
// cut to the screen's present size, which SDL does not follow when a mode
// changes.
bool usableArea(SDL_Window* window, SDL_Rect& usable);

// X11: the window manager keeps the client area at width : height; the hint
// is written only when it is not in place already.
void keepAspectHint(SDL_Window* window, int width, int height);

// X11: a change of the screen's size or work area, or of the window manager's
// state of the window, arrives as an SDL_SYSWMEVENT; every other window-system
// message is dropped before it is queued. Nothing elsewhere.
void watchWindowSystem(SDL_Window* window);
