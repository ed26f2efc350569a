// SDL events built the way the system delivers them, for the application
// tests and the frame fuzz target. No test framework, so that the fuzz
// target can use them.
#pragma once

#include <SDL.h>

// A zeroed event of one type, stamped with SDL's clock.
inline SDL_Event event(Uint32 type) {
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    e.common.timestamp = SDL_GetTicks();
    return e;
}

// A key press; `repeat` is set on the presses a held key repeats.
inline SDL_Event keyEvent(SDL_Keycode sym, Uint16 mod, Uint8 repeat = 0) {
    SDL_Event e = event(SDL_KEYDOWN);
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
}

// A press or release; `which` is the mouse, SDL_TOUCH_MOUSEID for one made up from touch.
inline SDL_Event buttonEvent(Uint32 type, Uint8 button, int x, int y, Uint8 clicks, Uint32 which) {
    SDL_Event e = event(type);
    e.button.which = which;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    return e;
}

// Pointer motion with the buttons `state` held.
inline SDL_Event motionEvent(int x, int y, Uint32 state, Uint32 which) {
    SDL_Event e = event(SDL_MOUSEMOTION);
    e.motion.which = which;
    e.motion.state = state;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}
