// One step of the main loop: decide whether to draw, drain the event queue
// into the game actions, the window and the pointer, advance the victory
// animation and draw only when something can have changed.
#include "shell/Frame.h"

#include <SDL.h>

#include <climits>
#include <cmath>

#include "interaction/Actions.h"
#include "interaction/Pointer.h"
#include "presentation/Scene.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "sound/CardAudio.h"
#include "window/Window.h"

namespace {

void key(SDL_Keycode k, Uint16 mod) {
    if (k == SDLK_F11) {
        toggleFullscreen();
    } else if (k == SDLK_s) {
        cardAudio.toggle();
    } else if (k == SDLK_F2) {
        reset(false);
    } else if (k == SDLK_F3) {
        reset(true);
    } else if (k == SDLK_d) {
        switchDrawCount();
    } else if (k == SDLK_SPACE) {
        drawFromStock();
    } else if (k == SDLK_z) {
        if (mod & KMOD_CTRL) undo();
    } else if (k == SDLK_F1) {
        toggleHelp();
    } else if (k == SDLK_ESCAPE) {
        clearWinAnimation();
        dropSelection();
        closeOverlays();
    }
}

void windowEvent(Uint8 event) {
    setWindowAspectHint();
    followWindowState();
    switch (event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        fitWindowToField();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        dropSelection();
        break;
    default:
        break;
    }
}

// Fingers report 0..1 over the logical table; cut, never round, so that
// the last unit of the table stays inside it. SDL's renderer holds the share
// to 0..1 as it passes the event on, but the cut stays defined for any
// float: beyond what an int holds a position stays at the end of its range.
int tableUnits(float share, int extent) {
    const float units = static_cast<float>(extent) * share;
    if (units <= static_cast<float>(INT_MIN)) return INT_MIN;
    if (units >= static_cast<float>(INT_MAX)) return INT_MAX;  // 2^31: INT_MAX rounds up
    return static_cast<int>(units);
}
int tableX(float x) { return tableUnits(x, W); }
int tableY(float y) { return tableUnits(y, H); }

// A position that is not a number names no place on the table (and passes
// SDL's hold to 0..1 unchanged).
bool placed(const SDL_TouchFingerEvent& f) { return !std::isnan(f.x) && !std::isnan(f.y); }

// The left button as the pointer's press, the right one sending the card
// under it to a foundation.
void press(const SDL_MouseButtonEvent& b) {
    if (b.button == SDL_BUTTON_LEFT) {
        down(b.x, b.y, b.clicks);
    } else if (b.button == SDL_BUTTON_RIGHT) {
        int p, i;
        hit(b.x, b.y, p, i);
        // Nothing to send from the stock or where no pile is: refused.
        autoMoveCard(p, i);
    }
}

// A finger is the left button held: never a double-click.
void finger(Uint32 type, const SDL_TouchFingerEvent& f) {
    const int x = tableX(f.x), y = tableY(f.y);
    if (type == SDL_FINGERDOWN)
        down(x, y, 1);
    else if (type == SDL_FINGERUP)
        up(x, y);
    else
        motion(x, y, true);
}

void dispatch(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT:
        quit();
        break;
    case SDL_WINDOWEVENT:
        windowEvent(e.window.event);
        break;
    // A display added or removed, the screen resized, the work area or the
    // window manager's state of the window changed.
    case SDL_DISPLAYEVENT:
    case SDL_SYSWMEVENT:
        windowSystemChanged();
        break;
    case SDL_KEYDOWN:
        key(e.key.keysym.sym, e.key.keysym.mod);
        break;
    // What the render targets held is gone: drawn again from the start.
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        dropDrawnFrames();
        break;
    // Mouse events SDL makes up from touch would repeat the finger's work.
    case SDL_MOUSEMOTION:
        if (e.motion.which != SDL_TOUCH_MOUSEID)
            motion(e.motion.x, e.motion.y, (e.motion.state & SDL_BUTTON_LMASK) != 0);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.which != SDL_TOUCH_MOUSEID) press(e.button);
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.which != SDL_TOUCH_MOUSEID && e.button.button == SDL_BUTTON_LEFT) up(e.button.x, e.button.y);
        break;
    case SDL_FINGERDOWN:
    case SDL_FINGERUP:
    case SDL_FINGERMOTION:
        if (placed(e.tfinger)) finger(e.type, e.tfinger);
        break;
    default:
        break;
    }
}

// Dropped files and texts, and composed text too long for its event, come
// with strings that SDL leaves to the application to free.
void release(SDL_Event& e) {
    switch (e.type) {
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
        SDL_free(e.drop.file);
        e.drop.file = nullptr;
        break;
    case SDL_TEXTEDITING_EXT:
        SDL_free(e.editExt.text);
        e.editExt.text = nullptr;
        break;
    default:
        break;
    }
}

bool firstFrame = true;  // draws whatever happened
Uint32 lastSecond = 0;   // the clock's second the last frame saw
bool frameDrew = false;  // the last frame step found something to do

}  // namespace

void startFrames() {
    firstFrame = true;
    lastSecond = 0;
}

void frame() {
    Uint32 second = gameSeconds();
    // A drag changes nothing between the motions, which come as events.
    bool redraw = firstFrame || second != lastSecond || winAnimating;
    lastSecond = second;

    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        redraw = true;
        dispatch(e);
        release(e);
    }

    // Hidden or minimised, nothing is drawn and the flight waits: the loop
    // rests until the window is shown again, which redraws it.
    frameDrew = redraw && windowShown();
    if (!frameDrew) return;
    firstFrame = false;
    // The flight started on the table's clock.
    advanceWinAnimation(tableNow());
    render();
}

bool lastFrameDrew() { return frameDrew; }
