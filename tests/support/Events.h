// Input for application tests: SDL events built the way the system delivers
// them and pushed onto SDL's queue, for the frame step to take.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "window/Window.h"

// A zeroed event of one type.
inline SDL_Event event(Uint32 type) {
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    return e;
}

inline void push(SDL_Event e) { EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

inline void pushKey(SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event e = event(SDL_KEYDOWN);
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    push(e);
}

// A press or release; `which` is the mouse, SDL_TOUCH_MOUSEID for one made up from touch.
inline void pushButton(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1, Uint32 which = 0) {
    SDL_Event e = event(type);
    e.button.which = which;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    push(e);
}

inline void pushMotion(int x, int y, Uint32 state, Uint32 which = 0) {
    SDL_Event e = event(SDL_MOUSEMOTION);
    e.motion.which = which;
    e.motion.state = state;
    e.motion.x = x;
    e.motion.y = y;
    push(e);
}

// One finger at window-relative x, y (0 to 1 across the window).
inline void pushFinger(Uint32 type, float x, float y) {
    SDL_Event e = event(type);
    e.tfinger.touchId = 1;
    e.tfinger.fingerId = 1;
    e.tfinger.x = x;
    e.tfinger.y = y;
    e.tfinger.pressure = 1;
    push(e);
}

inline void pushWindow(Uint8 what) {
    SDL_Event e = event(SDL_WINDOWEVENT);
    e.window.windowID = SDL_GetWindowID(window);
    e.window.event = what;
    push(e);
}
