// The frame step with real SDL events in the queue: the redraw rule, the key
// table, window focus, the right button, fingers and touch-made mouse events.
#include <gtest/gtest.h>

#include <SDL.h>

#include <functional>
#include <limits>
#include <vector>

#include "interaction/Actions.h"
#include "interaction/ActionsTesting.h"
#include "interaction/Pointer.h"
#include "interaction/PointerTesting.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "presentation/VictoryTesting.h"
#include "shell/Frame.h"
#include "shell/Loop.h"
#include "sound/CardAudio.h"
#include "support/Cards.h"
#include "support/EventQueue.h"
#include "support/Headless.h"
#include "support/Pixels.h"
#include "support/Pointer.h"
#include "support/TableState.h"
#include "support/Tables.h"

namespace {

const SDL_Color marker = {255, 0, 255, 255};

// Paints the window in a colour the scene never uses, runs one frame and
// tells whether a frame was presented: every marker pixel is gone. (The
// frame buffer may keep what it holds when nothing in it changed.)
bool frameDraws() {
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_SetRenderDrawColor(renderer, marker.r, marker.g, marker.b, marker.a);
    SDL_RenderClear(renderer);
    frame();
    const Pixels pixels = readWindow();
    const Uint32 magenta = 0xFFFF00FFu;  // the marker as read, ARGB
    size_t marked = 0;
    for (Uint32 p : pixels.argb) marked += p == magenta;
    EXPECT_TRUE(marked == 0 || marked == pixels.argb.size()) << marked << " marker pixels left";
    return marked == 0;
}

// The game won by sending its last two cards home: the flight starts.
void winByTheLastTwoSends() {
    game.state = twoMovesFromWin();
    ASSERT_TRUE(autoMoveCard(6, 0));
    ASSERT_TRUE(autoMoveCard(7, 0));
    ASSERT_TRUE(winAnimating);
}

class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(startHeadless()) << SDL_GetError();
        // Opened before the tests, so that its news comes before them.
        cardAudio.open();
        ASSERT_TRUE(cardAudio.settle(30000));
    }
    void SetUp() override {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        clearWinAnimation();
        clearTable();
        seed = 1234;
        reset(false);
    }
    void TearDown() override {
        clearWinAnimation();
        clearTable();
    }
};

TEST_F(Frame, RedrawRule) {
    // The table's clock moves only when the test says: whether a frame draws
    // never hangs on how long the one before took.
    static Uint32 now;
    now = 50000;
    setTableTicks([] { return now; });
    startFrames();
    EXPECT_TRUE(frameDraws()) << "the first frame draws";
    now += 3000;
    EXPECT_FALSE(frameDraws()) << "nothing happened; the clock has not started";

    SDL_Event release = event(SDL_KEYUP);
    release.key.keysym.sym = SDLK_a;
    push(release);
    EXPECT_TRUE(frameDraws()) << "an event without an action still draws";
    SDL_Event wheel = event(SDL_MOUSEWHEEL);
    wheel.wheel.y = 1;
    push(wheel);
    EXPECT_TRUE(frameDraws());
    EXPECT_FALSE(frameDraws());

    setClockMarks({now - 5000, 0});  // the shown second changes
    EXPECT_TRUE(frameDraws());
    now += 999;
    EXPECT_FALSE(frameDraws()) << "the second stays the same";
    now += 1;
    EXPECT_TRUE(frameDraws()) << "the next second";
    EXPECT_FALSE(frameDraws());

    // A drag draws its motions, which come as events, and nothing while it
    // is held still.
    dragging = true;
    EXPECT_FALSE(frameDraws()) << "a drag held still";
    pushMotion(300, 300, SDL_BUTTON_LMASK);
    EXPECT_TRUE(frameDraws()) << "a motion of the drag";
    EXPECT_FALSE(frameDraws());
    cancelDrag();
    EXPECT_FALSE(frameDraws());

    clearTable();
    setTableTicks([] { return now; });
    ASSERT_NO_FATAL_FAILURE(winByTheLastTwoSends());
    frameDraws();  // the clock's second changed with the win
    EXPECT_TRUE(frameDraws());
    EXPECT_TRUE(frameDraws()) << "every frame of the victory animation draws";
    clearWinAnimation();
    now += 3000;
    EXPECT_FALSE(frameDraws()) << "a won game's clock stands still";
}

TEST_F(Frame, KeyTable) {
    struct Case {
        const char* name;
        std::function<void()> setup;
        SDL_Keycode key;
        Uint16 mod;
        std::function<void()> check;
    };
    static sol::State before;
    static unsigned int seedBefore;
    auto draw = [] {
        drawFromStock();
        drawFromStock();
        before = game.state;
        seedBefore = seed;
    };
    auto undone = [] { EXPECT_EQ(game.history.size(), 1u); };
    auto untouched = [] {
        EXPECT_EQ(game.state, before);
        EXPECT_EQ(seed, seedBefore);
    };
    auto soundFlipped = [] { EXPECT_FALSE(cardAudio.enabled); };
    Case cases[] = {
        {"S", draw, SDLK_s, KMOD_NONE, soundFlipped},
        {"Shift+S", draw, SDLK_s, KMOD_LSHIFT, soundFlipped},
        {"Ctrl+S", draw, SDLK_s, KMOD_LCTRL, soundFlipped},
        {"F2", draw, SDLK_F2, KMOD_NONE,
         [] {
             EXPECT_EQ(seed, seedBefore + 1);
             EXPECT_TRUE(game.history.empty());
             EXPECT_EQ(clockMarks().startTicks, 0u);
         }},
        {"F3", draw, SDLK_F3, KMOD_NONE,
         [] {
             EXPECT_EQ(seed, seedBefore);
             EXPECT_TRUE(game.history.empty());
             EXPECT_EQ(clockMarks().startTicks, 0u);
             sol::Game again;
             again.deal(seed, 64);
             EXPECT_EQ(game.state, again.state);
         }},
        {"D from one card", draw, SDLK_d, KMOD_NONE,
         [] {
             EXPECT_EQ(game.drawCount, 3);
             EXPECT_EQ(seed, seedBefore + 1);
             EXPECT_TRUE(game.history.empty());
         }},
        {"D from three cards",
         [&] {
             game.drawCount = 3;
             draw();
         },
         SDLK_d, KMOD_NONE,
         [] {
             EXPECT_EQ(game.drawCount, 1);
             EXPECT_EQ(seed, seedBefore + 1);
         }},
        {"D from two cards",
         [&] {
             game.drawCount = 2;
             draw();
         },
         SDLK_d, KMOD_NONE, [] { EXPECT_EQ(game.drawCount, 3); }},
        {"Space", draw, SDLK_SPACE, KMOD_NONE,
         [] {
             EXPECT_EQ(game.history.size(), 3u);
             EXPECT_EQ(game.state.piles[1].size(), 3u);
         }},
        {"Ctrl+Z, left Control", draw, SDLK_z, KMOD_LCTRL, undone},
        {"Ctrl+Z, right Control", draw, SDLK_z, KMOD_RCTRL, undone},
        {"Ctrl+Shift+Z", draw, SDLK_z, KMOD_LCTRL | KMOD_LSHIFT, undone},
        {"Z alone", draw, SDLK_z, KMOD_NONE, untouched},
        {"Shift+Z", draw, SDLK_z, KMOD_LSHIFT, untouched},
        {"Alt+Z", draw, SDLK_z, KMOD_LALT, untouched},
        {"F1 opens help", draw, SDLK_F1, KMOD_NONE, [] { EXPECT_TRUE(help); }},
        {"F1 closes help",
         [&] {
             draw();
             help = true;
         },
         SDLK_F1, KMOD_NONE, [] { EXPECT_FALSE(help); }},
        {"Escape",
         [&] {
             draw();
             help = true;
             menu = true;
             selected = 6;
             indexSelected = static_cast<int>(game.state.piles[6].size()) - 1;
             dragging = true;
         },
         SDLK_ESCAPE, KMOD_NONE,
         [] {
             EXPECT_FALSE(help);
             EXPECT_FALSE(menu);
             EXPECT_EQ(selected, -1);
             EXPECT_FALSE(dragging);
             EXPECT_EQ(game.state, before);
         }},
        {"a key without an action", draw, SDLK_a, KMOD_LCTRL,
         [] {
             EXPECT_EQ(game.state, before);
             EXPECT_FALSE(help);
             EXPECT_TRUE(cardAudio.enabled);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        cardAudio.enabled = true;
        c.setup();
        pushKey(c.key, c.mod);
        frame();
        c.check();
        game.drawCount = 1;
    }
    cardAudio.enabled = true;
}

TEST_F(Frame, HeldKeysRepeatAndF11SwitchesFullScreen) {
    pushKey(SDLK_SPACE);
    pushKey(SDLK_SPACE, KMOD_NONE, 1);
    pushKey(SDLK_SPACE, KMOD_NONE, 1);
    frame();
    EXPECT_EQ(game.state.piles[1].size(), 3u) << "auto-repeat draws like new presses";

    const Uint32 full = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP;
    bool wasFull = (SDL_GetWindowFlags(window) & full) != 0;
    selected = 6;
    indexSelected = 0;
    dragging = true;
    pushKey(SDLK_F11);
    frame();
    EXPECT_NE((SDL_GetWindowFlags(window) & full) != 0, wasFull);
    EXPECT_FALSE(dragging);
    pushKey(SDLK_F11);
    frame();
    EXPECT_EQ((SDL_GetWindowFlags(window) & full) != 0, wasFull);
}

TEST_F(Frame, EscapeStopsTheVictoryAnimationButKeepsTheTime) {
    clearTable();
    game.state = twoMovesFromWin();
    ASSERT_TRUE(autoMoveCard(6, 0));
    setClockMarks({clockMarks().startTicks - 3000, 0});
    ASSERT_TRUE(autoMoveCard(7, 0));
    ASSERT_TRUE(winAnimating);
    Uint32 won = clockMarks().winTicks, shown = gameSeconds();
    help = true;
    menu = true;
    pushKey(SDLK_ESCAPE);
    frame();
    EXPECT_FALSE(winAnimating);
    EXPECT_TRUE(flyingCards.empty());
    EXPECT_TRUE(winImprints().empty());
    EXPECT_FALSE(help);
    EXPECT_FALSE(menu);
    EXPECT_EQ(clockMarks().winTicks, won);
    EXPECT_EQ(gameSeconds(), shown);
    EXPECT_GE(shown, 3u);
    EXPECT_TRUE(game.won());

    pushKey(SDLK_z, KMOD_RCTRL);  // take the winning move back
    frame();
    EXPECT_EQ(clockMarks().winTicks, 0u);
    EXPECT_FALSE(game.won());
}

// The flight starts and advances on the table's clock: with a clock of the
// test's own, far from SDL's ticks, the first frame steps just what that
// clock says has passed.
TEST_F(Frame, TheFlightRunsOnTheTableClock) {
    static Uint32 now;
    now = 3000000000u;
    clearTable();
    setTableTicks([] { return now; });
    ASSERT_NO_FATAL_FAILURE(winByTheLastTwoSends());
    ASSERT_EQ(clockMarks().winTicks, now);
    frame();
    EXPECT_EQ(winFlight().winStep, 0u) << "no time has passed on the table's clock";
    now += 17;
    frame();
    EXPECT_EQ(winFlight().winStep, 1u) << "17 ms: the first step of 1/60 s";
    ASSERT_EQ(flyingCards.size(), 52u);
    EXPECT_TRUE(flyingCards[0].launched) << "the first king has taken off";
    EXPECT_FALSE(flyingCards[1].launched) << "the second waits for step 11";
    now += 100;
    frame();
    EXPECT_EQ(winFlight().winStep, 7u) << "117 ms in all";
}

TEST_F(Frame, AHiddenWindowDrawsNothingAndItsFlightWaits) {
    clearTable();
    ASSERT_NO_FATAL_FAILURE(winByTheLastTwoSends());
    EXPECT_TRUE(frameDraws());

    SDL_HideWindow(window);
    const Uint32 step = winFlight().winStep;
    EXPECT_FALSE(frameDraws()) << "hidden, a running flight draws nothing";
    SDL_Delay(40);
    EXPECT_FALSE(frameDraws());
    EXPECT_EQ(winFlight().winStep, step) << "the flight waits";
    pushKey(SDLK_F2);
    EXPECT_FALSE(frameDraws()) << "input is still taken, but not drawn";
    EXPECT_FALSE(game.won()) << "F2 dealt anew";

    SDL_ShowWindow(window);
    EXPECT_TRUE(frameDraws()) << "shown again, it draws at once";
}

TEST_F(Frame, FocusLossDropsTheDragAndTheSelection) {
    int column = 12;
    int top = static_cast<int>(game.state.piles[column].size()) - 1;
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, cardX(column), cardY(column, top));
    pushMotion(cardX(column) + 30, cardY(column, top) + 40, SDL_BUTTON_LMASK);
    frame();
    ASSERT_EQ(selected, column);
    ASSERT_TRUE(dragging);
    sol::State held = game.state;
    pushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
    frame();
    EXPECT_TRUE(dragging) << "other window events leave the drag alone";
    pushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
    frame();
    EXPECT_FALSE(dragging);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(game.state, held);
    // The release that follows elsewhere moves nothing.
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, cardX(6), cardY(6, 0));
    frame();
    EXPECT_EQ(game.state, held);
}

TEST_F(Frame, RightButtonSendsToAFoundationWithItsBookkeeping) {
    struct Case {
        const char* name;
        int x, y;
        bool moves;
    } cases[] = {
        {"on the stock", cardX(0), 100, false},     {"on empty table", 700, 500, false},
        {"on the top bar", 100, 10, false},         {"on an empty foundation", cardX(3), 100, false},
        {"on an ace", cardX(6), cardY(6, 0), true}, {"on a card no foundation takes", cardX(7), cardY(7, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearTable();
        game.state.piles[0] = {faceDown(0, 5)};
        game.state.piles[6] = {faceUp(1, 1)};
        game.state.piles[7] = {faceUp(1, 3)};
        // A recorded action whose bookkeeping is still due shows whether
        // changed() ran: with the move, and only then.
        game.state.started = true;
        pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, c.x, c.y);
        frame();
        EXPECT_EQ(clockMarks().startTicks != 0, c.moves);
        EXPECT_EQ(game.state.piles[2].size(), c.moves ? 1u : 0u);
        EXPECT_EQ(game.state.piles[0].size(), 1u) << "the right button never draws";
        EXPECT_EQ(selected, -1);
    }
    // Only the press acts: the release and the middle button do nothing.
    clearTable();
    game.state.piles[6] = {faceUp(1, 1)};
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, cardX(6), cardY(6, 0));
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, cardX(6), cardY(6, 0), 2);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, cardX(6), cardY(6, 0));
    frame();
    EXPECT_TRUE(game.state.piles[2].empty());
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(pointerPlaces().downX, 0);
}

// A card the right button sends home, or covers on its foundation, is no
// longer there to be picked up: its selection and drag end with it.
TEST_F(Frame, RightButtonDropsASelectionItTakesAway) {
    struct Case {
        const char* name;
        int selectPile, rightPile;
        bool dropped;
    } cases[] = {
        {"the selected ace itself", 6, 6, true},
        {"a two onto the selected ace on its foundation", 2, 7, true},
        {"an ace from another column", 8, 6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearTable();
        game.state.piles[2] = {faceUp(0, 1)};
        game.state.piles[6] = {faceUp(1, 1)};
        game.state.piles[7] = {faceUp(0, 2)};
        game.state.piles[8] = {faceUp(1, 12)};
        const int y = c.selectPile <= 5 ? py(2, 0) + 10 : cardY(c.selectPile, 0);
        pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, cardX(c.selectPile), y);
        pushMotion(cardX(c.selectPile) + 5, y, SDL_BUTTON_LMASK);
        frame();
        ASSERT_EQ(selected, c.selectPile);
        ASSERT_TRUE(dragging);
        pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, cardX(c.rightPile), cardY(c.rightPile, 0));
        frame();
        EXPECT_EQ(game.history.size(), 1u) << "the right button sent a card";
        EXPECT_EQ(selected, c.dropped ? -1 : c.selectPile);
        EXPECT_EQ(dragging, !c.dropped);
        cancelDrag();
    }
}

TEST_F(Frame, LeftButtonSelectsDragsAndDoubleClicks) {
    clearTable();
    game.state.piles[6] = {faceUp(1, 1)};
    game.state.piles[7] = {faceUp(0, 13)};
    game.state.piles[8] = {faceUp(1, 12)};
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, cardX(6), cardY(6, 0), 2);
    frame();
    EXPECT_EQ(game.state.piles[2].size(), 1u) << "double-click sends the ace";

    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, cardX(8), cardY(8, 0));
    pushMotion(cardX(8) + 1, cardY(8, 0), 0);
    frame();
    EXPECT_EQ(selected, 8);
    EXPECT_FALSE(dragging) << "motion without the left button does not drag";
    pushMotion(cardX(8) + 1, cardY(8, 0), SDL_BUTTON_RMASK);
    frame();
    EXPECT_FALSE(dragging);
    pushMotion(cardX(8) + 1, cardY(8, 0), SDL_BUTTON_LMASK);
    frame();
    EXPECT_TRUE(dragging);
    EXPECT_EQ(pointerPlaces().mx, cardX(8) + 1);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, cardX(7), cardY(7, 0) + 30);
    frame();
    EXPECT_FALSE(dragging);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(game.state.piles[7].size(), 2u) << "queen of hearts on the king of spades";
}

TEST_F(Frame, FingersAreScaledToTheTableAndTruncated) {
    struct Case {
        float x, y;
        int tx, ty;
    } cases[] = {
        {0.5f, 0.5f, 380, 325}, {0.9999f, 0.9999f, 759, 649}, {0.0f, 0.0f, 0, 0},
        {0.1f, 0.1f, 76, 65},   {0.4999f, 0.0999f, 379, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
        pushFinger(SDL_FINGERDOWN, c.x, c.y);
        frame();
        EXPECT_EQ(pointerPlaces().downX, c.tx);
        EXPECT_EQ(pointerPlaces().downY, c.ty);
        pushFinger(SDL_FINGERMOTION, 0.25f, 0.25f);
        frame();
        EXPECT_EQ(pointerPlaces().mx, 190);
        EXPECT_EQ(pointerPlaces().my, 162);
        pushFinger(SDL_FINGERMOTION, c.x, c.y);
        frame();
        EXPECT_EQ(pointerPlaces().mx, c.tx);
        EXPECT_EQ(pointerPlaces().my, c.ty);
        pushFinger(SDL_FINGERUP, c.x, c.y);
        frame();
    }
}

TEST_F(Frame, AFingerAtNoNumberIsIgnored) {
    clearTable();
    game.state.piles[6] = {faceUp(1, 1)};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (Uint32 type : {SDL_FINGERDOWN, SDL_FINGERMOTION, SDL_FINGERUP}) {
        pushFinger(type, nan, 0.5f);
        pushFinger(type, 0.5f, nan);
    }
    frame();
    EXPECT_EQ(pointerPlaces().downX, 0);
    EXPECT_EQ(pointerPlaces().mx, 0);
    EXPECT_FALSE(menu) << "not taken for a press on the top bar";
    EXPECT_FALSE(help);
    EXPECT_EQ(selected, -1);
}

TEST_F(Frame, FingerGestures) {
    clearTable();
    game.state.piles[6] = {faceUp(1, 1)};
    game.state.piles[7] = {faceUp(0, 13)};
    game.state.piles[8] = {faceUp(1, 12)};
    float ax = (cardX(6) + 0.5f) / 760.0f, ay = (cardY(6, 0) + 0.5f) / 650.0f;
    pushFinger(SDL_FINGERDOWN, ax, ay);
    pushFinger(SDL_FINGERUP, ax, ay);
    pushFinger(SDL_FINGERDOWN, ax, ay);
    frame();
    EXPECT_TRUE(game.state.piles[2].empty()) << "a finger never double-clicks";
    EXPECT_EQ(selected, 6);
    pushFinger(SDL_FINGERUP, ax, ay);
    frame();

    float qx = (cardX(8) + 0.5f) / 760.0f, qy = (cardY(8, 0) + 0.5f) / 650.0f;
    pushFinger(SDL_FINGERDOWN, qx, qy);
    pushFinger(SDL_FINGERMOTION, 0.5f, 0.5f);
    frame();
    EXPECT_TRUE(dragging) << "every finger motion counts as held";
    EXPECT_EQ(pointerPlaces().mx, 380);
    EXPECT_EQ(pointerPlaces().my, 325);
    pushFinger(SDL_FINGERUP, (cardX(7) + 0.5f) / 760.0f, (cardY(7, 0) + 60.5f) / 650.0f);
    frame();
    EXPECT_FALSE(dragging);
    EXPECT_EQ(game.state.piles[7].size(), 2u);
}

TEST_F(Frame, MouseEventsMadeFromTouchAreIgnored) {
    clearTable();
    game.state.piles[6] = {faceUp(1, 1)};
    game.state.piles[8] = {faceUp(1, 12)};
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, cardX(8), cardY(8, 0), 1, SDL_TOUCH_MOUSEID);
    pushMotion(cardX(8) + 20, cardY(8, 0), SDL_BUTTON_LMASK, SDL_TOUCH_MOUSEID);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, cardX(6), cardY(6, 0), 1, SDL_TOUCH_MOUSEID);
    EXPECT_TRUE(frameDraws()) << "ignored events still draw";
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(pointerPlaces().mx, 0);
    EXPECT_TRUE(game.state.piles[2].empty());

    // A real selection is not dropped by a touch-made release.
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, cardX(8), cardY(8, 0));
    pushMotion(cardX(8) + 20, cardY(8, 0), SDL_BUTTON_LMASK);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 700, 500, 1, SDL_TOUCH_MOUSEID);
    frame();
    EXPECT_TRUE(dragging);
    EXPECT_EQ(selected, 8);
}

TEST_F(Frame, QuitAndAKeyInTheSameQueue) {
    push(event(SDL_QUIT));
    pushKey(SDLK_F1);
    frame();
    EXPECT_FALSE(running);
    EXPECT_TRUE(help) << "the queue is drained after a quit";
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0);
    running = true;
}

}  // namespace

// Drag frames one after the other: only a long run of them far quicker than
// the display refreshes shows that presents do not wait.
TEST(PresentPacingTest, TellsPresentsThatDoNotWaitFromALongRunOfQuickFrames) {
    struct Case {
        const char* what;
        bool vsync;
        std::vector<double> intervals;  // ms, at 60 Hz: 3/4 of a period is 12.5 ms
        bool waits;
    };
    const std::vector<double> eightQuick(8, 1.0);
    std::vector<double> sevenQuickThenSlow(7, 1.0);
    sevenQuickThenSlow.push_back(16.7);
    std::vector<double> interrupted = sevenQuickThenSlow;
    interrupted.insert(interrupted.end(), 7, 2.0);
    std::vector<double> brokenThenSlow = eightQuick;
    brokenThenSlow.insert(brokenThenSlow.end(), 20, 16.7);
    const Case cases[] = {
        {"no vsync asked for", false, {}, false},
        {"vsync, nothing seen yet", true, {}, true},
        {"vsync that waits", true, std::vector<double>(50, 16.7), true},
        {"a few frames queued ahead", true, sevenQuickThenSlow, true},
        {"quick runs broken by a wait", true, interrupted, true},
        {"eight quick frames in a row", true, eightQuick, false},
        {"once seen, for good", true, brokenThenSlow, false},
        {"frames at a mouse's 100 Hz", true, std::vector<double>(20, 10.0), false},
        {"3/4 of a period is not quick", true, std::vector<double>(20, 12.5), true},
    };
    for (const Case& c : cases) {
        PresentPacing pacing;
        pacing.vsync = c.vsync;
        for (double ms : c.intervals) pacing.backToBack(ms);
        EXPECT_EQ(c.waits, pacing.presentsWait()) << c.what;
    }
    PresentPacing fast;
    fast.vsync = true;
    fast.refreshMs = 1000.0 / 240;
    for (int i = 0; i < 20; ++i) fast.backToBack(4.1);
    EXPECT_TRUE(fast.presentsWait()) << "a 240 Hz display paces frames 4.2 ms apart";
    for (int i = 0; i < 20; ++i) fast.backToBack(8.0);
    EXPECT_TRUE(fast.presentsWait()) << "and a mouse's 125 Hz slower still";
}

// A drag frame is followed by as long as keeps the drag to half a core,
// counting all it cost since the pause after the drag frame before, and
// where presents do not wait, by the rest of a display refresh.
TEST(PresentPacingTest, PausesADragFrameForHalfACoreAndTheRefresh) {
    struct Case {
        const char* what;
        bool presentsWait;
        double frameMs, sinceMs, cpuMs;
        double pauseMs;
    };
    const Case cases[] = {
        {"a cheap frame waits out the refresh", false, 2.0, 2.0, 3.0, 14.0},
        {"where presents wait, only the half core", true, 2.0, 2.0, 3.0, 4.0},
        {"a frame of half a core's worth", false, 4.0, 4.0, 10.0, 16.0},
        {"a costly frame, its CPU on two threads", false, 15.0, 15.0, 28.0, 41.0},
        {"as costly where presents wait", true, 15.0, 15.0, 28.0, 41.0},
        {"a frame longer than the refresh, on one thread", false, 20.0, 20.0, 20.0, 20.0},
        {"nothing less than no pause", false, 30.0, 30.0, 1.0, 0.0},
        {"the work before the frame counts", false, 15.0, 20.0, 34.0, 48.0},
        {"a drag that rested needs no pause for its CPU", true, 15.0, 200.0, 28.0, 0.0},
        {"nor for the refresh, which the frame waited out", false, 20.0, 200.0, 28.0, 0.0},
    };
    for (const Case& c : cases) {
        PresentPacing pacing;
        pacing.vsync = c.presentsWait;
        pacing.refreshMs = 16.0;
        EXPECT_DOUBLE_EQ(c.pauseMs, pacing.dragPauseMs(c.frameMs, c.sinceMs, c.cpuMs)) << c.what;
    }
}
