// The victory trail on the real renderer (offscreen): clipped to the table
// between the bars, laid over the scene with blending, painted
// incrementally, and rebuilt whole at the new size after a resize. Also the
// ways the player ends the animation: Escape, undo and a new game.
#include <gtest/gtest.h>

#include <vector>

#include "interaction/Actions.h"
#include "interaction/ActionsTesting.h"
#include "presentation/Graphics.h"
#include "presentation/Scene.h"
#include "presentation/Victory.h"
#include "presentation/VictoryTesting.h"
#include "shell/Frame.h"
#include "shell/Startup.h"
#include "support/EventQueue.h"
#include "support/Headless.h"
#include "support/Pixels.h"
#include "support/Replay.h"
#include "support/Tables.h"

namespace {

// The output size is the window's only while the window is the target.
void setOutput(int width, int height) {
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_SetWindowSize(window, width, height);
    ASSERT_TRUE(resizeGraphics()) << SDL_GetError();
    ASSERT_EQ(frameArea().w, width) << "the output did not take the size";
    ASSERT_EQ(frameArea().h, height);
}

// The trail's part of a composed frame, as the scene calls it.
void trailFrame() {
    SDL_SetRenderTarget(renderer, frameBuffer);
    SDL_RenderSetScale(renderer, drawingScale().x, drawingScale().y);
    renderWinTrail();
}

// Pixels of the trail over the top bar or the status bar, at a size whose
// bars end on whole pixel rows.
int pixelsOverTheBars(const Pixels& trail) {
    const int top = 30 * trail.height / 650, bottom = 622 * trail.height / 650;
    int over = 0;
    for (int y = 0; y < trail.height; ++y)
        for (int x = 0; x < trail.width; ++x)
            if ((y < top || y >= bottom) && Pixels::alpha(trail.raw(x, y)) != 0) ++over;
    return over;
}

// The flight to its end, a frame every `frameMs`; `midway` runs once after
// about `midwayStep` steps.
template <typename F>
void fly(Uint32 frameMs, Uint32 midwayStep, F midway) {
    game.state = wonTable();
    startWinAnimation(1);
    Uint32 now = 1;
    bool done = false;
    for (int i = 0; i < 10000 && winAnimating; ++i) {
        now += frameMs;
        advanceWinAnimation(now);
        if (!done && winFlight().winStep >= midwayStep) {
            midway();
            done = true;
        }
        trailFrame();
    }
    ASSERT_FALSE(winAnimating);
}

class Trail : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(startHeadless()) << SDL_GetError(); }
    static void TearDownTestSuite() { shutDown(); }
    void SetUp() override { setOutput(760, 650); }
    void TearDown() override { clearWinAnimation(); }
};

TEST_F(Trail, ClippedBetweenTheBarsAndLaidOverTheTable) {
    const int sizes[][2] = {{760, 650}, {1140, 975}};
    for (const auto& size : sizes) {
        setOutput(size[0], size[1]);
        SCOPED_TRACE(frameArea().w);
        const float sx = drawingScale().x, sy = drawingScale().y;
        clearWinAnimation();
        // Half over the top bar, half over the bottom bar, and one in the open.
        setWinImprints({{{0, 13, true}, 100, -50}, {{1, 12, true}, 300, 560}, {{2, 11, true}, 500, 200}});

        SDL_SetRenderTarget(renderer, frameBuffer);
        SDL_RenderSetScale(renderer, sx, sy);
        SDL_SetRenderDrawColor(renderer, 255, 0, 255, 255);
        SDL_RenderClear(renderer);
        renderWinTrail();

        // Target and scale are as they were: a square of 10 units drawn now
        // lands in the frame buffer at the drawing scale.
        float gotX = 0, gotY = 0;
        SDL_RenderGetScale(renderer, &gotX, &gotY);
        EXPECT_EQ(gotX, sx);
        EXPECT_EQ(gotY, sy);
        const SDL_Rect mark = {700, 60, 10, 10};
        SDL_SetRenderDrawColor(renderer, 0, 255, 255, 255);
        SDL_RenderFillRect(renderer, &mark);
        ASSERT_NE(winFlight().winTrail, nullptr);
        EXPECT_EQ(winFlight().paintedWinStamps, 3u);

        Pixels trail = readPixels(winFlight().winTrail);
        ASSERT_EQ(trail.width, frameArea().w);
        ASSERT_EQ(trail.height, frameArea().h);
        EXPECT_EQ(pixelsOverTheBars(trail), 0) << "trail pixels over the top or bottom bar";
        // The parts of the cards between the bars are there, opaque.
        auto inside = [&](int x, int y) { return trail.raw(int((x + 0.5f) * sx), int((y + 0.5f) * sy)); };
        EXPECT_EQ(Pixels::alpha(inside(140, 40)), 255);
        EXPECT_EQ(Pixels::alpha(inside(340, 615)), 255);
        EXPECT_EQ(Pixels::alpha(inside(540, 256)), 255);
        EXPECT_EQ(Pixels::alpha(inside(20, 300)), 0);

        // Blended over the frame: the table shows where there is no imprint.
        Pixels frame = readPixels(frameBuffer);
        const Uint32 magenta = 0xFFFF00FF;  // ARGB
        auto shown = [&](int x, int y) { return frame.raw(int((x + 0.5f) * sx), int((y + 0.5f) * sy)); };
        EXPECT_EQ(shown(20, 300), magenta);
        EXPECT_EQ(shown(140, 10), magenta);
        EXPECT_EQ(shown(340, 640), magenta);
        EXPECT_NE(shown(540, 256), magenta);
        EXPECT_EQ(shown(540, 256), inside(540, 256));
        const Uint32 cyan = 0xFF00FFFF;
        EXPECT_EQ(shown(700, 60), cyan);
        EXPECT_EQ(shown(709, 69), cyan);
        EXPECT_NE(shown(711, 69), cyan);
        EXPECT_EQ(Pixels::alpha(inside(705, 65)), 0) << "drawn into the trail";
    }
}

TEST_F(Trail, PaintsOnlyNewImprintsIntoTheSameTexture) {
    EXPECT_EQ(winFlight().winTrail, nullptr);
    renderWinTrail();  // no imprints: no texture
    EXPECT_EQ(winFlight().winTrail, nullptr);

    setWinImprints({{{0, 1, true}, 200, 200}});
    render();
    SDL_Texture* texture = winFlight().winTrail;
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(winFlight().paintedWinStamps, 1u);
    // Painted imprints stay as painted: the first one moved in the list is
    // still where it was, since the texture is neither cleared nor repainted.
    setWinImprints({{{0, 1, true}, 400, 200}, {{0, 2, true}, 600, 300}});
    render();
    EXPECT_EQ(winFlight().winTrail, texture);
    EXPECT_EQ(winFlight().paintedWinStamps, 2u);
    Pixels trail = readPixels(winFlight().winTrail);
    EXPECT_EQ(Pixels::alpha(trail.raw(240, 256)), 255);
    EXPECT_EQ(Pixels::alpha(trail.raw(440, 256)), 0);
    EXPECT_EQ(Pixels::alpha(trail.raw(640, 356)), 255);

    // Dropped (as a resize does), the whole list is painted again.
    dropWinTrail();
    EXPECT_EQ(winFlight().winTrail, nullptr);
    EXPECT_EQ(winFlight().paintedWinStamps, 0u);
    render();
    trail = readPixels(winFlight().winTrail);
    EXPECT_EQ(Pixels::alpha(trail.raw(240, 256)), 0);
    EXPECT_EQ(Pixels::alpha(trail.raw(440, 256)), 255);
    EXPECT_EQ(winFlight().paintedWinStamps, 2u);
}

// A window resized during the flight and again after it ends with the very
// trail of a flight drawn at the final size throughout.
TEST_F(Trail, AResizeKeepsEveryImprintAtTheNewSize) {
    seed = 99;
    fly(200, 300, [] {
        ASSERT_GT(winImprints().size(), 500u);
        setOutput(1140, 975);
        EXPECT_EQ(winFlight().winTrail, nullptr);
    });
    EXPECT_EQ(frameArea().w, 1140);
    const size_t stamps = winImprints().size();
    const Pixels resizedDuring = readPixels(winFlight().winTrail);

    setOutput(1520, 1300);
    render();  // the whole scene, as the frame after a resize draws it
    EXPECT_EQ(winFlight().paintedWinStamps, stamps);
    const Pixels resizedAfter = readPixels(winFlight().winTrail);
    ASSERT_EQ(resizedAfter.width, 1520);

    // References: the same flight drawn at one size from the start, frames
    // of another length (the imprints depend on steps, not frames).
    setOutput(1140, 975);
    fly(250, 0, [] {});
    ASSERT_EQ(winImprints().size(), stamps);
    const Pixels whole1140 = readPixels(winFlight().winTrail);
    setOutput(1520, 1300);
    fly(250, 0, [] {});
    const Pixels whole1520 = readPixels(winFlight().winTrail);

    auto differing = [](const Pixels& a, const Pixels& b) {
        size_t n = 0;
        for (size_t i = 0; i < a.argb.size(); ++i) n += a.argb[i] != b.argb[i];
        return n;
    };
    ASSERT_EQ(resizedDuring.argb.size(), whole1140.argb.size());
    EXPECT_EQ(differing(resizedDuring, whole1140), 0u);
    ASSERT_EQ(resizedAfter.argb.size(), whole1520.argb.size());
    EXPECT_EQ(differing(resizedAfter, whole1520), 0u);

    // And it is a real trail: a good part of the table is covered, up to the
    // bars and not over them.
    size_t covered = 0;
    for (Uint32 p : whole1520.argb) covered += Pixels::alpha(p) == 255;
    EXPECT_GT(covered, whole1520.argb.size() / 4);
    auto rowTouched = [&whole1520](int y) {
        for (int x = 0; x < whole1520.width; ++x)
            if (Pixels::alpha(whole1520.raw(x, y)) != 0) return true;
        return false;
    };
    EXPECT_TRUE(rowTouched(30 * 2)) << "the first row under the top bar";
    EXPECT_TRUE(rowTouched(622 * 2 - 1)) << "the last row above the status bar";
    EXPECT_EQ(pixelsOverTheBars(whole1140), 0);
    EXPECT_EQ(pixelsOverTheBars(whole1520), 0);
}

// Replays a certified deal through the game actions to its winning move.
void winThroughActions() {
    reset(false);
    const std::vector<sol::Game::Step> path = game.solution;
    for (const sol::Game::Step& step : path) ASSERT_TRUE(playStep(step, drawFromStock, moveCard));
    ASSERT_TRUE(winAnimating);
    ASSERT_EQ(flyingCards.size(), 52u);
    // Some flight and a painted trail.
    for (int i = 1; i <= 20; ++i) advanceWinAnimation(clockMarks().winTicks + 16 * i);
    render();
    ASSERT_FALSE(winImprints().empty());
    ASSERT_NE(winFlight().winTrail, nullptr);
}

void expectOff() {
    EXPECT_FALSE(winAnimating);
    EXPECT_TRUE(flyingCards.empty());
    EXPECT_TRUE(winImprints().empty());
    EXPECT_EQ(winFlight().winTrail, nullptr);
    EXPECT_EQ(winFlight().paintedWinStamps, 0u);
    EXPECT_EQ(winFlight().winStep, 0u);
}

TEST_F(Trail, EscapeUndoAndNewGameEndTheAnimation) {
    seed = 500;
    game.drawCount = 1;

    winThroughActions();
    pushKey(SDLK_ESCAPE);
    frame();
    expectOff();

    winThroughActions();
    undo();
    expectOff();

    winThroughActions();
    reset(false);
    expectOff();
    // A frame after it draws no trail and makes no texture.
    render();
    EXPECT_EQ(winFlight().winTrail, nullptr);
}

}  // namespace
