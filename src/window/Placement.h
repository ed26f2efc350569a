// Places and sizes asked of the window system and followed until the window
// is seen there. A window manager moves the frame by the borders SDL last
// heard of, which lag behind a change of frame (leaving full screen,
// restoring a maximised window); one that keeps the aspect hint by rounding
// down takes a unit off a size it is asked for. So a request is asked again,
// corrected by how far the last one landed off, a few times at most. One
// request is pending at a time; the window model (Window.cpp) starts, follows
// and drops it.
#pragma once

#include <SDL.h>

inline bool operator==(SDL_Point a, SDL_Point b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(SDL_Point a, SDL_Point b) { return !(a == b); }

// Asks for the client area at `at`, and for `size` where given (already
// asked for by the caller).
void placeWindow(SDL_Window* window, SDL_Point at, const SDL_Point* size = nullptr);
// The window manager brings the window back to a place of its own choosing
// and to `size`, or to a unit or so off it: the size is made good.
void awaitSize(SDL_Window* window, SDL_Point size);
// Another look after the window moved or was resized: asked again, or done.
void followPlacement(SDL_Window* window);
// Nothing pending any more: what the window shows next is nobody's landing.
void dropPlacement();
bool placementPending();
// A place asked for and not reached yet; `target` is that place.
bool placePending(SDL_Point& target);
// A size asked for and on its way, or a unit or so off it, that the fitting
// must not take for the user's; `size` is the size asked for.
bool sizePending(SDL_Window* window, SDL_Point& size);

// What the window manager made of a size asked for.
struct SizeAnswer {
    SDL_Point size;  // the client size it gave
    bool kept;       // it kept the size the window had, which is far from the one asked
    bool rounded;    // it gave a unit or so off the size asked: its own rounding
};
// Asks for `size` for a window of client size `now`; kept when the window
// manager kept `now` through two requests (a tile, or a maximised state it
// keeps). SDL waits a tenth of a second for its answer to each.
SizeAnswer askForSize(SDL_Window* window, SDL_Point size, SDL_Point now);
