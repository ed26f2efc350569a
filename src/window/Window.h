// Window management: the game's window and its model. The window is in one
// of four situations, read from the window system whenever it may have
// changed: windowed (the game decides size and place), sized by the desktop
// (maximised where the desktop keeps it so, tiled, full screen entered from
// outside: the desktop's rectangle stands and the table is shown in it
// between bars), the game's own full screen (F11), and hidden (minimised or
// unmapped: nothing is asked, read or drawn). All of its state is written
// here; what the fitting remembers between calls it keeps to itself (tests
// look in through WindowTesting.h). The arithmetic is in WindowFit.h, the
// requests followed until seen in Placement.h, the window system's own
// reports in WindowSystem.h.
#pragma once

#include <SDL.h>

// The game's only window, made and destroyed here at start-up and shut-down.
extern SDL_Window* window;

// The window, hidden, resizable, of size.x x size.y points (on X11 scaled
// to the desktop's resolution), titled and with its icon. False, with SDL's
// error on the log, when it cannot be made.
bool createWindow(SDL_Point size);
void destroyWindow();
void setWindowAspectHint();
// After a resize, a maximise and a change of the screen: windowed, the
// window is given a table-shaped size inside the usable area of its monitor
// and kept inside it; sized by the desktop, SDL is told the desktop's size;
// otherwise nothing.
void fitWindowToField();
void toggleFullscreen();
// Every window event, before the fitting: follows a hidden window, a full
// screen that the desktop entered or left on its own (the game then behaves
// as after F11), a place asked for that the window has not reached yet, and
// a window moved onto another monitor (fitted inside it).
void followWindowState();
// The screen, its usable area or the window manager's state of the window
// changed: followed, and the window fitted and moved inside as after a resize.
void windowSystemChanged();
// Neither hidden nor minimised: there is something to draw for.
bool windowShown();
// The display server ended the connection: the quit that follows is a
// failure. Said on the log the first time it is seen.
bool displayConnectionLost();
