// Brings the real application up without a desktop, for application tests
// and benchmarks: the program's own start-up, on SDL's offscreen video
// driver (or whatever SDL_VIDEODRIVER names), without sound.
#pragma once

#include <SDL.h>

#include <cstdlib>

#include "presentation/Graphics.h"
#include "shell/Startup.h"
#include "window/Window.h"

// True when window, renderer, fonts and graphics are up.
inline bool startHeadless(SDL_Point firstSize = {W, H}) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return startUp(false, false, firstSize) == Start::ready;
}
