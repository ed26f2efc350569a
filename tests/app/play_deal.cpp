// Plans a whole won game as table coordinates, for the end-to-end test that
// plays it on a real X server. The plan is the deal's certificate turned into
// presses on the stock and drags from card to pile; before it is written out
// it is played here through the pointer gestures themselves, so a plan that
// passes this test is one the program accepts press by press.
//
// Environment: ZARN_PLAY_SEED (deal seed, default 1767225601), ZARN_PLAY_DRAW
// (cards per draw, 1 or 3, default 1), ZARN_PLAY_PLAN (file for the plan), ZARN_PLAY_REFERENCE (directory for the
// reference pictures dealt.bmp and won.bmp, composed by the program's own
// scene code on the offscreen driver).
//
// Plan lines: "score N" first, then "click X Y" or "drag X1 Y1 X2 Y2", each
// followed by 1 when the press lands so close to the previous one that the
// player must wait out the double-click time.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "interaction/ActionsTesting.h"
#include "interaction/Pointer.h"
#include "presentation/Graphics.h"
#include "presentation/Scene.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "support/Headless.h"
#include "support/Pixels.h"
#include "support/Pointer.h"
#include "support/Replay.h"
#include "support/TableState.h"

namespace {

struct Gesture {
    bool drag;
    SDL_Point from, to;
    bool pause;
};

uint32_t planSeed() {
    const char* s = std::getenv("ZARN_PLAY_SEED");
    return s ? static_cast<uint32_t>(std::strtoul(s, nullptr, 10)) : 1767225601u;
}

// A point on pile p where a release lands on it.
SDL_Point target(int p) {
    int n = static_cast<int>(game.state.piles[p].size());
    return {px(p) + 40, py(p, n == 0 ? 0 : n - 1) + 50};
}

// SDL counts a press as a double-click within 32 pixels of the last one.
bool near(SDL_Point a, SDL_Point b) { return std::abs(a.x - b.x) <= 40 && std::abs(a.y - b.y) <= 40; }

// The composed frame as a 24-bit BMP file.
bool saveFrame(const std::string& path) {
    render();
    Pixels frame = readPixels(frameBuffer);
    SDL_Surface* read = SDL_CreateRGBSurfaceWithFormatFrom(frame.argb.data(), frame.width, frame.height, 32,
                                                           frame.width * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* shot = read ? SDL_ConvertSurfaceFormat(read, SDL_PIXELFORMAT_BGR24, 0) : nullptr;
    const bool ok = shot && SDL_SaveBMP(shot, path.c_str()) == 0;
    SDL_FreeSurface(shot);
    SDL_FreeSurface(read);
    return ok;
}

TEST(PlayDeal, CertificateAsPointerGesturesWinsTheDeal) {
    clearTable();
    const char* draw = std::getenv("ZARN_PLAY_DRAW");
    game.drawCount = draw && std::string(draw) == "3" ? 3 : 1;
    seed = planSeed();
    game.deal(seed, 64);
    const sol::State dealt = game.state;
    const std::vector<sol::Game::Step> path = game.solution;
    ASSERT_FALSE(path.empty());

    std::vector<Gesture> plan;
    SDL_Point lastPress = {-1000, -1000};
    for (const sol::Game::Step& s : path) {
        sol::Game expected = game;
        ASSERT_TRUE(playStep(expected, s));

        Gesture g;
        g.drag = !drawsFromStock(s);
        g.from = g.drag ? grip(s.source, s.index) : SDL_Point{px(0) + 40, 100};
        g.to = g.drag ? target(s.destination) : g.from;
        g.pause = near(g.from, lastPress);
        lastPress = g.from;
        plan.push_back(g);

        down(g.from.x, g.from.y, 1);
        if (g.drag) {
            motion(g.to.x, g.to.y, true);
            up(g.to.x, g.to.y);
        } else {
            up(g.from.x, g.from.y);
        }
        ASSERT_EQ(game.state.piles, expected.state.piles) << "step from pile " << s.source;
        ASSERT_EQ(selected, -1);
    }
    ASSERT_TRUE(game.won());
    const int score = game.state.score;

    if (const char* file = std::getenv("ZARN_PLAY_PLAN")) {
        FILE* out = std::fopen(file, "w");
        ASSERT_NE(out, nullptr);
        std::fprintf(out, "score %d\n", score);
        for (const Gesture& g : plan) {
            if (g.drag)
                std::fprintf(out, "drag %d %d %d %d %d\n", g.from.x, g.from.y, g.to.x, g.to.y, g.pause);
            else
                std::fprintf(out, "click %d %d %d\n", g.from.x, g.from.y, g.pause);
        }
        ASSERT_EQ(std::fclose(out), 0);
    }

    if (const char* dir = std::getenv("ZARN_PLAY_REFERENCE")) {
        ASSERT_TRUE(startHeadless()) << SDL_GetError();
        ASSERT_TRUE(resizeGraphics());
        ASSERT_EQ(frameArea().w, W);
        ASSERT_EQ(frameArea().h, H);
        sol::State won = game.state;
        game.state = dealt;
        clearWinAnimation();
        setClockMarks({0, 0});
        ASSERT_TRUE(saveFrame(std::string(dir) + "/dealt.bmp")) << SDL_GetError();
        game.state = won;
        ASSERT_TRUE(saveFrame(std::string(dir) + "/won.bmp")) << SDL_GetError();
    }
}

}  // namespace
