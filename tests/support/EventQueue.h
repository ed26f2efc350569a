// Input for application tests: events as the system delivers them
// (support/Events.h) pushed onto SDL's queue, for the frame step to take.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "support/Events.h"
#include "window/Window.h"

inline void push(SDL_Event e) { EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

inline void pushKey(SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) { push(keyEvent(sym, mod, repeat)); }

// A press or release; `which` is the mouse, SDL_TOUCH_MOUSEID for one made up from touch.
inline void pushButton(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1, Uint32 which = 0) {
    push(buttonEvent(type, button, x, y, clicks, which));
}

inline void pushMotion(int x, int y, Uint32 state, Uint32 which = 0) { push(motionEvent(x, y, state, which)); }

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

// A window event of this program's window.
inline void pushWindow(Uint8 what) {
    SDL_Event e = event(SDL_WINDOWEVENT);
    e.window.windowID = SDL_GetWindowID(window);
    e.window.event = what;
    push(e);
}
