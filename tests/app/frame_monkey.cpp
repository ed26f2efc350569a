// Random input through the frame step: presses anywhere, releases without a
// press, stray motion, double-clicks on empty piles, keys during a drag,
// quits mid-drag, touch and window events. After every frame the state must
// pass the frame check of support/FrameInvariants.h, as in the frame fuzz
// target. Now and then the deal's certificate is played through real drags
// so that won tables get their share of random input.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "interaction/Actions.h"
#include "interaction/PointerState.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "shell/Frame.h"
#include "support/EventQueue.h"
#include "support/FrameInvariants.h"
#include "support/Headless.h"
#include "support/Pointer.h"
#include "support/Replay.h"
#include "support/ValidTable.h"

namespace {

std::mt19937 rng(20260101);
// Input that may drop the selection of a drag came since the last frame that
// ended without one.
bool pressOrDraw = false;

int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
float uniformF(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }

// A point on a card of the table, or near one: most presses should matter.
SDL_Point somewhereOnTheTable() {
    if (uniform(0, 4) == 0) return {uniform(-30, 790), uniform(-30, 680)};
    int p = uniform(0, 12);
    int n = static_cast<int>(game.state.piles[p].size());
    int i = n == 0 ? 0 : uniform(0, n - 1);
    return {px(p) + uniform(-2, CW + 33), py(p, i) + uniform(-2, CH + 1)};
}

// Plays the current deal's certificate from its start with real drags.
void playCertificate() {
    pushKey(SDLK_ESCAPE, KMOD_NONE);  // an open menu or help panel would take the first press
    pushKey(SDLK_F3, KMOD_NONE);
    frame();
    std::vector<sol::Game::Step> path = game.solution;
    // A draw is a click on the stock, a move a drag onto the destination's
    // top card; whether it took shows in the table after the frame.
    auto click = [] {
        SDL_Point stock = grip(0, 0);
        pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, stock.x, stock.y, 1);
        pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, stock.x, stock.y, 1);
    };
    auto drag = [](int source, int index, int destination) {
        SDL_Point from = grip(source, index);
        int n = static_cast<int>(game.state.piles[destination].size());
        SDL_Point to = grip(destination, n == 0 ? 0 : n - 1);
        pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, from.x, from.y, 1);
        pushMotion(to.x, to.y, SDL_BUTTON_LMASK);
        pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, to.x, to.y, 1);
        return true;
    };
    for (const sol::Game::Step& s : path) {
        playStep(s, click, drag);
        frame();
        ASSERT_TRUE(validTable(game));
    }
}

void randomEvent() {
    const SDL_Keycode keys[] = {SDLK_SPACE, SDLK_z,   SDLK_ESCAPE, SDLK_F1, SDLK_s,
                                SDLK_a,     SDLK_F11, SDLK_F2,     SDLK_F3, SDLK_d};
    SDL_Point at = somewhereOnTheTable();
    Uint32 device = uniform(0, 9) == 0 ? SDL_TOUCH_MOUSEID : 0;
    switch (uniform(0, 15)) {
    case 0:
    case 1:
    case 2:
        pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, at.x, at.y, uniform(1, 3) == 3 ? 2 : 1, device);
        break;
    case 3:
    case 4:
        pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, at.x, at.y, 1, device);
        break;
    case 5:
    case 6:
        pushMotion(at.x, at.y, uniform(0, 2) ? SDL_BUTTON_LMASK : 0, device);
        break;
    case 7:
        pushButton(SDL_MOUSEBUTTONDOWN, uniform(0, 3) ? SDL_BUTTON_RIGHT : SDL_BUTTON_MIDDLE, at.x, at.y, 1, device);
        break;
    case 8: {
        Uint32 type = SDL_FINGERDOWN + uniform(0, 2);
        pushFinger(type, at.x / 760.0f, at.y / 650.0f);
        break;
    }
    case 9: {
        Uint32 type = SDL_FINGERDOWN + uniform(0, 2);
        pushFinger(type, uniformF(-0.1f, 1.1f), uniformF(-0.1f, 1.1f));
        break;
    }
    case 10:
    case 11: {
        // Deals and full screen are slow: keep them rare.
        int k = uniform(0, 99) < 95 ? uniform(0, 5) : uniform(6, 9);
        Uint16 mod = uniform(0, 1) ? KMOD_LCTRL : (uniform(0, 1) ? KMOD_RCTRL : KMOD_NONE);
        pushKey(keys[k], mod);
        break;
    }
    case 12: {
        const Uint8 what[] = {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_EXPOSED,
                              SDL_WINDOWEVENT_SIZE_CHANGED};
        pushWindow(what[uniform(0, 3)]);
        break;
    }
    case 13:
        push(event(uniform(0, 1) ? SDL_MOUSEWHEEL : SDL_KEYUP));
        break;
    case 14:
        if (uniform(0, 20) == 0) push(event(SDL_QUIT));
        break;
    default:
        // A double-click on an empty pile, if there is one.
        for (int p = 1; p <= 12; ++p)
            if (game.state.piles[p].empty()) {
                pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, px(p) + 5, py(p, 0) + 5, 2);
                break;
            }
        break;
    }
}

// Notes the input waiting for the next frame that may drop a drag's selection.
void notePressOrDraw() {
    SDL_Event waiting[64];
    const int n = SDL_PeepEvents(waiting, 64, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (int k = 0; k < n; ++k) pressOrDraw |= checks::dropsSelection(waiting[k]);
}

TEST(FrameMonkey, RandomInputKeepsTheTableValid) {
    // The input paths are under test, not the GPU emulation: the dummy video
    // driver's software renderer composes a frame several times faster.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_TRUE(startHeadless()) << SDL_GetError();
    seed = 4711;
    reset(false);
    int wins = 0, drags = 0, quits = 0;
    // Composing a frame is the cost here, so several events share a frame.
    const int frames = 2000;
    long events = 0;
    for (int f = 0; f < frames; ++f) {
        if (uniform(0, 299) == 0) {
            playCertificate();
            ASSERT_TRUE(game.won()) << "the certificate, played by mouse, wins";
            ++wins;
        }
        int batch = uniform(1, 10);
        for (int k = 0; k < batch; ++k) randomEvent();
        events += batch;
        notePressOrDraw();
        frame();
        drags += dragging;
        ASSERT_EQ(checks::frameViolation(pressOrDraw), "") << "after frame " << f;
        if (!dragging) pressOrDraw = false;
        if (!running) {
            ++quits;
            running = true;
        }
    }
    // The run must actually have reached the states it claims to cover.
    EXPECT_GT(wins, 2);
    EXPECT_GT(drags, 50);
    EXPECT_GT(quits, 5);
    std::printf("monkey: %ld events in %d frames, %d certificate wins, %d drag frames, %d quits\n", events, frames,
                wins, drags, quits);
}

}  // namespace
