// What the window system behind SDL tells and allows beyond SDL's own calls:
// on X11, the window manager's state of the window, the real place and size
// of its client area, the monitors, the desktop's scale, the aspect hint,
// and changes of the screen and its work area; under Wayland, that the
// compositor places and sizes windows itself; on both, a connection the
// display server ended. Read by the window model (Window.cpp); nothing here
// keeps state of the game's.
#pragma once

#include <SDL.h>

// Before SDL starts its video. Under Wayland the window goes through libdecor
// even where the compositor would decorate it itself: only there does SDL
// hold back a size the game asks for while the compositor owns the size (a
// tile), and keep to the compositor's. The click that gives the window the
// focus is taken as any other click.
void prepareWindowSystem();

// Wayland: positions are the compositor's, and a size it proposes is a limit
// (a maximised or full-screen size is a must). Elsewhere the program may
// place and size its window, as X11 window managers let it.
bool compositorPlacesWindows(SDL_Window* window);

// Wayland: waits until the compositor has answered every request sent so
// far, SDL having taken in its answers (a configure for a new state).
void awaitCompositor(SDL_Window* window);

// The window manager's state of the window, whoever asked for it. `told` is
// false where the window system does not say (all but X11).
struct ManagerState {
    bool told = false;
    bool fullscreen = false;
    bool maximized = false;  // in either direction: some managers do one at a time
    bool hidden = false;     // minimised, or unmapped since it was shown
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
// changes, and to the monitor under the window's middle where the server
// has more monitors than SDL has displays (monitors set by RandR 1.5, as
// split screens present them, or Xinerama's screens).
bool usableArea(SDL_Window* window, SDL_Rect& usable);

// X11: the desktop's resolution for text (the resource Xft.dpi, as the
// desktop's own programs read it); 0 when unset or elsewhere.
int desktopDpi(SDL_Window* window);

// Wayland: the compositor ended the connection (it died, or refused what
// the game sent); SDL then reports only a quit. On X11 a lost connection
// ends the program at once with status 1 and a line on the log, as set up
// by watchWindowSystem.
bool connectionLost(SDL_Window* window);
// The line the log gets when the display server ended the connection.
extern const char* const connectionLostMessage;

// X11: the window manager keeps the client area at width : height; the hint
// is written only when it is not in place already.
void keepAspectHint(SDL_Window* window, int width, int height);

// X11: a change of the screen's size or work area, or of the window manager's
// state of the window, arrives as an SDL_SYSWMEVENT; every other window-system
// message is dropped before it is queued. A connection the server ends is
// logged with connectionLostMessage and ends the program with status 1.
// Nothing elsewhere.
void watchWindowSystem(SDL_Window* window);
