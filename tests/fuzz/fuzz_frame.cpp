// The frame step under arbitrary SDL input, headless: the input becomes key
// presses with any modifiers, mouse buttons, motion and fingers anywhere
// (NaN and infinite finger positions included), window events with any data
// and quit requests, taken a few at a time by frame(). After every frame the
// state passes the frame check of support/FrameInvariants.h, as in the frame
// monkey.
#include <SDL.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Bytes.h"
#include "engine/Solitaire.h"
#include "interaction/Actions.h"
#include "interaction/Pointer.h"
#include "presentation/Table.h"
#include "shell/Frame.h"
#include "shell/Startup.h"
#include "sound/CardAudio.h"
#include "support/Events.h"
#include "support/FrameInvariants.h"
#include "support/Headless.h"
#include "support/Replay.h"
#include "support/TableState.h"
#include "window/Window.h"

// SDL keeps allocations for the life of the process.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

// Composing a frame is the cost of an input; deals (F2, F3, D) and full
// screen (a new atlas at another size) are the expensive keys.
const int maxFrames = 24;
const int maxEventsPerFrame = 8;
const int maxDealKeys = 3;
const int maxFullscreenKeys = 1;

struct Budget {
    int dealKeys = 0, fullscreenKeys = 0;
};

// Whether a left press or a draw may have dropped the selection of a running
// drag since the last frame that ended without one.
bool pressOrDraw = false;

// Onto SDL's queue, noting a press or a draw that may drop the selection.
void enqueue(SDL_Event e) {
    pressOrDraw |= checks::dropsSelection(e);
    if (SDL_PushEvent(&e) < 0) fail("SDL_PushEvent", SDL_GetError());
}

// The point the last event went to: a click, a double-click or a right-click
// on the card just pressed is what players do.
SDL_Point lastPoint = {0, 0};

// A point in table units: mostly on or near a card or an empty pile, else on
// the bars and the menu, anywhere around the table, anywhere at all, or the
// last point again.
SDL_Point aim(Bytes& in) {
    switch (in.below(9)) {
    case 5: {
        const int x = in.below(256);
        const int dx = in.below(64);
        return {x + dx, in.below(210)};
    }
    case 6: {
        const int x = in.u16() % 820 - 30;
        return {x, in.u16() % 720 - 35};
    }
    case 7: {
        const int x = in.anyInt();
        return {x, in.anyInt()};
    }
    default: {
        const int p = in.below(13);
        const int n = static_cast<int>(game.state.piles[p].size());
        const int i = n == 0 ? 0 : (in.flag() ? n - 1 : in.below(n));
        return {px(p) + in.below(CW + 40) - 8, py(p, i) + in.below(CH + 16) - 4};
    }
    case 8:
        return lastPoint;
    }
}

SDL_Point point(Bytes& in) { return lastPoint = aim(in); }

// A finger coordinate: a table point's share of the table, or any float.
float fingerCoordinate(Bytes& in, int aimed, int extent) {
    static const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                                     -std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     FLT_MAX,
                                     -FLT_MAX,
                                     1e10f,
                                     -1e10f,
                                     2.9e6f,
                                     -2.9e6f,
                                     -0.0f,
                                     FLT_MIN / 4,
                                     1.0f,
                                     0.99999994f,
                                     2.0f,
                                     -0.5f};
    switch (in.below(4)) {
    case 0:
        return specials[in.below(16)];
    case 1: {
        const uint32_t bits = in.u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    default:
        return static_cast<float>(aimed) / static_cast<float>(extent);
    }
}

Uint8 clicks(Bytes& in) { return static_cast<Uint8>(1 + in.below(3)); }
Uint32 mouseId(Bytes& in) { return in.below(4) == 0 ? SDL_TOUCH_MOUSEID : in.below(2); }

void gameKey(Bytes& in, Budget& budget) {
    static const SDL_Keycode keys[] = {SDLK_F1,    SDLK_F2, SDLK_F3,     SDLK_F11, SDLK_d,     SDLK_s,
                                       SDLK_SPACE, SDLK_z,  SDLK_ESCAPE, SDLK_z,   SDLK_SPACE, SDLK_a};
    SDL_Keycode sym = keys[in.below(12)];
    if (sym == SDLK_F2 || sym == SDLK_F3 || sym == SDLK_d) {
        if (budget.dealKeys++ >= maxDealKeys) sym = SDLK_F1;
    } else if (sym == SDLK_F11) {
        if (budget.fullscreenKeys++ >= maxFullscreenKeys) sym = SDLK_ESCAPE;
    }
    static const Uint16 mods[] = {KMOD_NONE, KMOD_LCTRL, KMOD_RCTRL, KMOD_LCTRL | KMOD_LSHIFT, KMOD_LALT};
    enqueue(keyEvent(sym, in.below(4) == 0 ? in.u16() : mods[in.below(5)]));
}

// Any key code but the ones that deal or switch full screen, which gameKey
// hands out within the budget.
void otherKey(Bytes& in) {
    SDL_Keycode sym = static_cast<SDL_Keycode>(in.u32());
    if (sym == SDLK_F2 || sym == SDLK_F3 || sym == SDLK_d || sym == SDLK_F11) sym = SDLK_UNKNOWN;
    enqueue(keyEvent(sym, in.u16()));
}

void finger(Bytes& in) {
    static const Uint32 types[] = {SDL_FINGERDOWN, SDL_FINGERUP, SDL_FINGERMOTION};
    SDL_Event e = event(types[in.below(3)]);
    const SDL_Point at = point(in);
    e.tfinger.touchId = in.below(3);
    e.tfinger.fingerId = in.below(3);
    e.tfinger.x = fingerCoordinate(in, at.x, W);
    e.tfinger.y = fingerCoordinate(in, at.y, H);
    e.tfinger.dx = fingerCoordinate(in, 0, 1);
    e.tfinger.dy = fingerCoordinate(in, 0, 1);
    e.tfinger.pressure = 1;
    enqueue(e);
}

void windowEvent(Bytes& in) {
    SDL_Event e = event(SDL_WINDOWEVENT);
    e.window.windowID = in.below(8) == 0 ? in.u32() : SDL_GetWindowID(window);
    e.window.event = static_cast<Uint8>(in.below(8) == 0 ? in.byte() : in.below(SDL_WINDOWEVENT_DISPLAY_CHANGED + 1));
    e.window.data1 = in.anyInt();
    e.window.data2 = in.anyInt();
    enqueue(e);
}

// A press, a motion with the button held and a release: a whole drag.
void drag(Bytes& in) {
    const Uint32 id = in.below(8) == 0 ? SDL_TOUCH_MOUSEID : 0;
    const SDL_Point from = point(in);
    const SDL_Point to = point(in);
    enqueue(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, from.x, from.y, 1, id));
    enqueue(motionEvent(to.x, to.y, SDL_BUTTON_LMASK, id));
    enqueue(buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, to.x, to.y, 1, id));
}

void input(Bytes& in, Budget& budget) {
    // One read a statement: the order in which function arguments are
    // evaluated differs between compilers, and replays must agree.
    switch (in.below(16)) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4: {
        static const Uint8 buttons[] = {SDL_BUTTON_RIGHT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, 0, 255};
        const int kind = in.below(5);  // 0-1 left press, 2-3 left release, 4 another button
        const Uint32 type = kind < 2 || (kind == 4 && in.flag()) ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        const Uint8 which = kind == 4 ? buttons[in.below(6)] : SDL_BUTTON_LEFT;
        const SDL_Point at = point(in);
        const Uint8 count = clicks(in);
        enqueue(buttonEvent(type, which, at.x, at.y, count, mouseId(in)));
        break;
    }
    case 5:
    case 6: {
        const SDL_Point at = point(in);
        const Uint32 buttons = in.below(4) == 0 ? in.u32() : (in.flag() ? SDL_BUTTON_LMASK : 0);
        enqueue(motionEvent(at.x, at.y, buttons, mouseId(in)));
        break;
    }
    case 7:
        finger(in);
        break;
    case 8:
    case 9:
        gameKey(in, budget);
        break;
    case 10:
        otherKey(in);
        break;
    case 11:
        windowEvent(in);
        break;
    case 12:
        if (in.below(4) == 0) {
            SDL_Event e = event(SDL_QUIT);
            enqueue(e);
        }
        break;
    case 13: {  // events without an action
        static const Uint32 types[] = {SDL_KEYUP, SDL_MOUSEWHEEL, SDL_TEXTINPUT, SDL_USEREVENT};
        SDL_Event e = event(types[in.below(4)]);
        enqueue(e);
        break;
    }
    default:
        drag(in);
        break;
    }
}

void checkTable(int frameNumber) {
    const std::string where = "after frame " + std::to_string(frameNumber);
    const std::string broken = checks::frameViolation(pressOrDraw);
    if (!broken.empty()) fail(where.c_str(), broken.c_str());
    if (!dragging) pressOrDraw = false;
}

// Back to a windowed 760 x 650 table that draws, whatever the last input did.
void restoreWindow() {
    if (SDL_GetWindowFlags(window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP)) toggleFullscreen();
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w != W || h != H) {
        SDL_SetWindowSize(window, W, H);
        fitWindowToField();
    }
    // A hidden or minimised window stops the renderer; only the window's own
    // events, as SDL sees them, switch it back.
    SDL_Event shown = event(SDL_WINDOWEVENT);
    shown.window.windowID = SDL_GetWindowID(window);
    shown.window.event = SDL_WINDOWEVENT_SHOWN;
    SDL_PushEvent(&shown);
    shown.window.event = SDL_WINDOWEVENT_RESTORED;
    SDL_PushEvent(&shown);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

// reset(true) on a clear table, remembered by seed and draw count: a deal
// searches up to 64 shuffles, which would cost more than the frames.
void deal() {
    static std::map<std::pair<unsigned, int>, sol::Game> dealt;
    const std::pair<unsigned, int> key(seed, game.drawCount);
    const auto known = dealt.find(key);
    if (known != dealt.end()) {
        game = known->second;
        return;
    }
    reset(true);
    if (dealt.size() >= 4096) dealt.clear();
    dealt.emplace(key, game);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The input paths are under test, not the GPU emulation: the dummy video
    // driver's software renderer composes a frame some eight times faster
    // than the offscreen driver's GL. SDL_VIDEODRIVER=offscreen still works.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!startHeadless()) fail("start-up", SDL_GetError());
    if (!cardAudio.open() || !cardAudio.settle(30000) || cardAudio.device == 0) fail("audio", SDL_GetError());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in(data, size);
    restoreWindow();
    clearTable();
    pressOrDraw = false;
    lastPoint = {0, 0};
    // A deal of its own, and as much of its certificate played as the input
    // asks: all of it gives a won table with the victory animation.
    game.drawCount = in.flag() ? 3 : 1;
    seed = in.u32() % 1024;  // deals enough, and each searched for once
    deal();
    const size_t played = in.below(4) == 0 ? in.u16() % 1024 : 0;
    const std::vector<sol::Game::Step> certificate = game.solution;
    for (size_t k = 0; k < played && k < certificate.size(); ++k) {
        if (!playStep(certificate[k], drawFromStock, moveCard))
            fail("certificate", "a step of the dealt certificate was refused");
    }
    checkTable(0);

    Budget budget;
    for (int f = 1; f <= maxFrames && !in.empty(); ++f) {
        const int events = 1 + in.below(maxEventsPerFrame);
        for (int k = 0; k < events && !in.empty(); ++k) input(in, budget);
        frame();
        checkTable(f);
        running = true;
    }
    return 0;
}
