// Brings the real application up without a desktop, for application tests:
// the same start-up steps the program runs, on SDL's offscreen video driver
// (or whatever SDL_VIDEODRIVER names) and the dummy audio driver.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdlib>

#include "presentation/Graphics.h"
#include "shell/Startup.h"
#include "window/Window.h"

// True when window, renderer, fonts and graphics are up.
inline bool startHeadless() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_SetHint("SDL_TOUCH_MOUSE_EVENTS", "0");
    SDL_SetHint("SDL_MOUSE_TOUCH_EVENTS", "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) return false;
    if (!createWindow()) return false;
    setWindowAspectHint();
    fitWindowToField();
    SDL_ShowWindow(window);
    setWindowAspectHint();
    return createRenderer() && openFonts() && initGraphics();
}
