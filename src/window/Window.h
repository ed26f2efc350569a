// Window management: the game's window, the aspect-ratio hint, fitting the
// window to the table's shape and the usable screen area, and desktop full
// screen. All of its state is written here; what the fitting remembers
// between calls it keeps to itself (tests look in through WindowTesting.h).
#pragma once

#include <SDL.h>

// The game's only window, made and destroyed here at start-up and shut-down.
extern SDL_Window* window;

// The window, hidden, resizable, of size.x x size.y, titled and with its
// icon. False, with SDL's error on the log, when it cannot be made.
bool createWindow(SDL_Point size);
void destroyWindow();
void setWindowAspectHint();
void fitWindowToField();
void toggleFullscreen();
// Every window event, before the fitting: follows a full screen that the
// window manager or compositor entered or left on its own (the game then
// behaves as after F11), and a place asked for that the window has not
// reached yet.
void followWindowState();
// The screen, its usable area or the window manager's state of the window
// changed: followed, and the window fitted and moved inside as after a resize.
void windowSystemChanged();
// Neither hidden nor minimised: there is something to draw for.
bool windowShown();

// The fitting's arithmetic, apart from the window system so that it can be
// checked on its own; fitWindowToField feeds it what SDL reports.

// Frame sizes around the client area, 0 where the window system does not tell.
struct WindowBorders {
    int top = 0, left = 0, bottom = 0, right = 0;
};

// Client size wanted for a w x h window (both > 0) whose last fitted size was
// lastWidth x lastHeight; usable is null when the usable area is unknown.
// A maximised window is given the largest fit of the usable area, whatever
// size it reports.
SDL_Point windowFitSize(int w, int h, bool maximized, int lastWidth, int lastHeight, const WindowBorders& borders,
                        const SDL_Rect* usable);

// Client-area position for a window at x, y (client area too) with the given
// client size: the window with its borders inside usable, or centred in it
// when it was maximised.
SDL_Point windowFitPosition(int x, int y, SDL_Point size, bool maximized, const WindowBorders& borders,
                            const SDL_Rect& usable);
