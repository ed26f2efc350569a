// Game actions: the clock, the win, the sounds and the selection around the
// engine's moves, draws and undo. Audio runs on SDL's dummy driver so that
// queued sounds can be seen in the device queue.
#include <gtest/gtest.h>

#include <SDL.h>

#include "interaction/Actions.h"
#include "interaction/ActionsTesting.h"
#include "presentation/Victory.h"
#include "presentation/VictoryTesting.h"
#include "sound/CardAudio.h"
#include "support/Cards.h"
#include "support/Replay.h"
#include "support/TableState.h"
#include "support/Tables.h"
#include "support/ValidTable.h"

// SDL's clock reads 0 in the first millisecond after it starts: a win
// registered then must not read as "not won".
TEST(ActionsTickZero, WinAtTickZeroIsStillAWin) {
    static Uint32 now;
    now = 0;
    clearTable();
    setTableTicks([] { return now; });
    game.state = twoMovesFromWin();
    game.state.piles[5].push_back(game.state.piles[6].back());
    game.state.piles[6].clear();
    ASSERT_TRUE(moveCard(7, 0, 5));
    EXPECT_TRUE(game.won());
    EXPECT_EQ(clockMarks().winTicks, 1u);
    EXPECT_NE(clockMarks().startTicks, 0u);
    EXPECT_EQ(gameSeconds(), 0u);
    // A later bookkeeping step must not restart the clock past the win.
    now = 20;
    changed();
    EXPECT_EQ(clockMarks().winTicks, 1u);
    EXPECT_EQ(gameSeconds(), 0u);
    setTableTicks(SDL_GetTicks);
}

class Actions : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        ASSERT_TRUE(cardAudio.open()) << SDL_GetError();
        ASSERT_TRUE(cardAudio.settle(30000));
        ASSERT_NE(cardAudio.device, 0u);
    }
    static void TearDownTestSuite() {
        cardAudio.close();
        SDL_Quit();
    }
    void SetUp() override {
        clearWinAnimation();
        clearTable();
        // The table's clock stands still until a test moves it.
        now = 100000;
        setTableTicks([] { return now; });
        cardAudio.enabled = true;
        SDL_ClearQueuedAudio(cardAudio.device);
    }
    void TearDown() override { setTableTicks(SDL_GetTicks); }
    static Uint32 queued() { return SDL_GetQueuedAudioSize(cardAudio.device); }
    static Uint32 now;
};
Uint32 Actions::now;

TEST_F(Actions, NewGamesUseConsecutiveSeedsAndReplayDealsTheSameCards) {
    seed = 1000;
    reset(false);
    EXPECT_EQ(seed, 1001u);
    sol::State first = game.state;
    EXPECT_TRUE(validTable(game));
    drawFromStock();
    selected = 6;
    reset(true);
    EXPECT_EQ(seed, 1001u);
    EXPECT_EQ(game.state, first);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(clockMarks().startTicks, 0u);
    reset(false);
    EXPECT_EQ(seed, 1002u);
    seed = 0xFFFFFFFFu;
    reset(false);
    EXPECT_EQ(seed, 0u);
}

TEST_F(Actions, ClockStartsWithTheFirstRecordedActionAndStopsAtTheDealtPosition) {
    seed = 7;
    reset(false);
    EXPECT_EQ(gameSeconds(), 0u);
    drawFromStock();
    ASSERT_NE(clockMarks().startTicks, 0u);
    Uint32 started = clockMarks().startTicks;
    drawFromStock();
    EXPECT_EQ(clockMarks().startTicks, started) << "the clock starts once per game";

    setClockMarks({now - 61500, 0});
    EXPECT_EQ(gameSeconds(), 61u);

    undo();
    EXPECT_NE(clockMarks().startTicks, 0u) << "one draw is still on the table";
    undo();
    EXPECT_EQ(clockMarks().startTicks, 0u);
    EXPECT_EQ(gameSeconds(), 0u);
    undo();  // nothing left to undo: still dealt, selection still cleared
    EXPECT_EQ(clockMarks().startTicks, 0u);
    drawFromStock();
    EXPECT_NE(clockMarks().startTicks, 0u);
}

// How long the game may rest before the clock shows another second.
TEST_F(Actions, TimeToTheClocksNextSecond) {
    struct Case {
        const char* what;
        Uint32 start, win, now;
        int wantMs;
    };
    const Case cases[] = {
        {"not started", 0, 0, 5000, -1},
        {"won: the clock stands", 1000, 9000, 9500, -1},
        {"just started", 1000, 0, 1000, 1000},
        {"a millisecond before the next", 1000, 0, 1999, 1},
        {"on the second", 1000, 0, 62000, 1000},
        {"mid-second", 1000, 0, 62250, 750},
        {"across the tick counter's wrap", 0xFFFFFF00u, 0, 0x10u, 728},
    };
    for (const Case& c : cases) {
        setClockMarks({c.start, c.win});
        now = c.now;
        EXPECT_EQ(c.wantMs, msToNextSecond()) << c.what;
        if (c.wantMs > 0) {
            // The shown second changes exactly then, not a millisecond before.
            const Uint32 shown = gameSeconds();
            now = c.now + static_cast<Uint32>(c.wantMs) - 1;
            EXPECT_EQ(shown, gameSeconds()) << c.what;
            now = c.now + static_cast<Uint32>(c.wantMs);
            EXPECT_EQ(shown + 1, gameSeconds()) << c.what;
        }
    }
}

TEST_F(Actions, DrawSoundOnlyWhenTheStockHeldCards) {
    struct Case {
        const char* name;
        size_t stock, waste;
        bool sound, starts;
    } cases[] = {
        {"draw from the stock", 3, 0, true, true},
        {"turn the waste over", 0, 4, false, true},
        {"both empty", 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearTable();
        SDL_ClearQueuedAudio(cardAudio.device);
        for (size_t k = 0; k < c.stock; ++k) game.state.piles[0].push_back(faceDown(0, 1 + int(k)));
        for (size_t k = 0; k < c.waste; ++k) game.state.piles[1].push_back(faceUp(1, 1 + int(k)));
        selected = 6;
        indexSelected = 0;
        drawFromStock();
        EXPECT_EQ(selected, -1);
        EXPECT_EQ(queued() > 0, c.sound);
        EXPECT_EQ(clockMarks().startTicks != 0, c.starts);
        EXPECT_EQ(game.state.piles[0].size() + game.state.piles[1].size(), c.stock + c.waste);
    }
}

TEST_F(Actions, DrawKeepsARunningDrag) {
    clearTable();
    game.state.piles[0] = {faceDown(0, 1)};
    game.state.piles[6] = {faceUp(0, 5)};
    selected = 6;
    indexSelected = 0;
    dragging = true;
    drawFromStock();
    EXPECT_TRUE(dragging);
    EXPECT_EQ(selected, -1);
    cancelDrag();
}

TEST_F(Actions, RefusedMoveChangesNothingAndIsSilent) {
    clearTable();
    game.state.piles[6] = {faceUp(0, 5)};
    game.state.piles[7] = {faceUp(0, 6)};  // same colour: refused
    game.state.score = 40;
    selected = 6;
    indexSelected = 0;
    sol::State before = game.state;
    EXPECT_FALSE(moveCard(6, 0, 7));
    EXPECT_FALSE(autoMoveCard(6, 0));
    EXPECT_FALSE(moveCard(-1, -1, 7));
    EXPECT_FALSE(autoMoveCard(6, -1));
    EXPECT_EQ(game.state, before);
    EXPECT_EQ(clockMarks().startTicks, 0u);
    EXPECT_EQ(clockMarks().winTicks, 0u);
    EXPECT_EQ(selected, 6) << "the caller decides about the selection";
    EXPECT_EQ(queued(), 0u);
}

TEST_F(Actions, AcceptedMovesPlayThePlacingSound) {
    clearTable();
    game.state.piles[6] = {faceUp(1, 5)};
    game.state.piles[7] = {faceUp(0, 6)};
    game.state.piles[8] = {faceUp(2, 1)};
    EXPECT_TRUE(moveCard(6, 0, 7));
    EXPECT_GT(queued(), 0u);
    SDL_ClearQueuedAudio(cardAudio.device);
    EXPECT_TRUE(autoMoveCard(8, 0));
    EXPECT_GT(queued(), 0u);
    EXPECT_EQ(game.state.piles[2].size(), 1u) << "the first foundation takes the ace";
}

TEST_F(Actions, WinFreezesTheClockOnceAndUndoLetsItRunOn) {
    seed = 42;
    game.state = twoMovesFromWin();
    selected = 7;
    indexSelected = 0;
    ASSERT_TRUE(autoMoveCard(6, 0));
    ASSERT_NE(clockMarks().startTicks, 0u);
    EXPECT_EQ(clockMarks().winTicks, 0u);
    setClockMarks({now - 61500, 0});  // as if the first move was 61.5 s ago
    Uint32 firstMove = clockMarks().startTicks;
    dragging = true;
    ASSERT_TRUE(autoMoveCard(7, 0));
    ASSERT_TRUE(game.won());
    EXPECT_EQ(clockMarks().winTicks, now);
    EXPECT_TRUE(winAnimating);
    EXPECT_EQ(flyingCards.size(), 52u);
    EXPECT_EQ(selected, -1);
    EXPECT_FALSE(dragging);
    Uint32 shown = gameSeconds();
    EXPECT_EQ(shown, 61u);

    // A second bookkeeping step neither moves the win nor restarts the flight.
    advanceWinAnimation(clockMarks().winTicks + 250);
    Uint32 step = winFlight().winStep;
    ASSERT_GT(step, 0u);
    Uint32 won = clockMarks().winTicks;
    now += 1100;
    changed();
    EXPECT_EQ(clockMarks().winTicks, won);
    EXPECT_EQ(winFlight().winStep, step);
    EXPECT_EQ(gameSeconds(), shown) << "the clock stands still after the win";

    // Taking the winning move back: no flight, no trail, clock runs from the first move.
    undo();
    EXPECT_FALSE(game.won());
    EXPECT_EQ(clockMarks().winTicks, 0u);
    EXPECT_FALSE(winAnimating);
    EXPECT_TRUE(flyingCards.empty());
    EXPECT_TRUE(winImprints().empty());
    EXPECT_EQ(clockMarks().startTicks, firstMove);
    EXPECT_EQ(gameSeconds(), 62u);

    // Winning again registers a new win.
    ASSERT_TRUE(autoMoveCard(7, 0));
    EXPECT_NE(clockMarks().winTicks, 0u);
    EXPECT_TRUE(winAnimating);
}

TEST_F(Actions, ReplayAfterAWinDealsTheSameCardsWithTheClockAtZero) {
    seed = 99;
    reset(false);
    sol::State dealt = game.state;
    std::vector<sol::Game::Step> path = game.solution;
    for (const sol::Game::Step& s : path) {
        ASSERT_TRUE(playStep(s, drawFromStock, moveCard));
        ASSERT_TRUE(validTable(game));
    }
    ASSERT_TRUE(game.won());
    ASSERT_NE(clockMarks().winTicks, 0u);
    advanceWinAnimation(clockMarks().winTicks + 250);
    reset(true);
    EXPECT_EQ(game.state, dealt);
    EXPECT_EQ(clockMarks().startTicks, 0u);
    EXPECT_EQ(clockMarks().winTicks, 0u);
    EXPECT_FALSE(winAnimating);
    EXPECT_TRUE(winImprints().empty());
    EXPECT_TRUE(flyingCards.empty());
}

TEST_F(Actions, ResetLeavesMenuHelpAndDrawCountAlone) {
    help = true;
    menu = true;
    game.drawCount = 3;
    reset(false);
    EXPECT_TRUE(help);
    EXPECT_TRUE(menu);
    EXPECT_EQ(game.drawCount, 3);
    EXPECT_TRUE(validTable(game));
}
