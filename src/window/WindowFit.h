// The window fitting's arithmetic, apart from the window system so that it
// can be checked on its own: the table-shaped size a window is given, where
// it is placed in the usable area, and the size it starts at on a desktop
// of a given scale. Window.cpp feeds it what the window system reports.
#pragma once

#include <SDL.h>

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

// The size a window of `size` points starts at on a desktop of `dpi` dots
// per inch: scaled by dpi / 96, to the nearest unit, from 1.25 times up;
// below that, and where the desktop does not tell (dpi 0), `size` itself.
SDL_Point startSizeAtDpi(SDL_Point size, int dpi);
