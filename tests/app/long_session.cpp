// Long sessions in one process, as a player who never quits has them: one
// game of 100 000 random actions, and 10 000 new games. Memory may grow only
// with the undo history, which a new game gives back whole; the text cache
// and the victory trail stay bounded whatever the clock and score show.
#include <gtest/gtest.h>

#include <SDL.h>

#include <random>
#include <vector>

#include "interaction/Actions.h"
#include "interaction/ActionsTesting.h"
#include "presentation/Graphics.h"
#include "presentation/GraphicsTesting.h"
#include "presentation/Scene.h"
#include "presentation/Victory.h"
#include "presentation/VictoryTesting.h"
#include "sound/CardAudio.h"
#include "support/Headless.h"
#include "support/Replay.h"
#include "support/Resident.h"
#include "support/TableState.h"
#include "support/ValidTable.h"

namespace {

#ifdef __SANITIZE_ADDRESS__
constexpr bool allocatorGivesBack = false;  // the sanitizer's allocator keeps what is freed
#else
constexpr bool allocatorGivesBack = true;
#endif

class LongSession : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(startHeadless()) << SDL_GetError(); }
    void SetUp() override {
        clearTable();
        flushTextCache();
    }
};

TEST_F(LongSession, HundredThousandActionsInOneGameKeepOnlyTheirHistory) {
    std::mt19937 rng(77);
    seed = 9000;
    reset(false);
    render();  // the renderer's own buffers are no part of the game's growth
    const long residentAtStart = residentKiB();
    size_t recorded = 0;  // actions the engine took into its history, less those undone
    for (int action = 1; action <= 100000; ++action) {
        const size_t before = game.history.size();
        const int kind = static_cast<int>(rng() % 100);
        if (kind < 45) {
            drawFromStock();
        } else if (kind < 85) {
            std::vector<sol::Game::Step> moves = legalMoves(game);
            if (!moves.empty()) {
                const sol::Game::Step& m = moves[rng() % moves.size()];
                ASSERT_TRUE(moveCard(m.source, m.index, m.destination));
            }
        } else if (kind < 95) {
            int p = static_cast<int>(rng() % 13);
            autoMoveCard(p, static_cast<int>(game.state.piles[p].size()) - 1);
        } else {
            undo();
        }
        const size_t after = game.history.size();
        ASSERT_TRUE(after == before || after == before + 1 || (after + 1 == before && kind >= 95))
            << "action " << action << " changed the history from " << before << " to " << after;
        recorded = after;

        if (action % 1000 == 0) {
            ASSERT_TRUE(validTable(game)) << "after action " << action;
            // A new clock text and score every time: the cache must flush.
            setClockMarks({SDL_GetTicks() - static_cast<Uint32>(action) * 1000u, clockMarks().winTicks});
            render();
            EXPECT_LE(cachedTexts().size(), 256u);
        }
        if (game.won()) reset(true);  // the same deal again, history given back
    }
    EXPECT_EQ(recorded, game.history.size());
    EXPECT_GT(game.history.size(), 1000u) << "a long game keeps a long history";
    const long residentAfterGame = residentKiB();

    reset(false);
    EXPECT_TRUE(game.history.empty());
    EXPECT_EQ(0u, game.history.capacity()) << "a new game must give the old history back";
    // Back to the system, not only to the allocator: most of what the game grew by.
    if (allocatorGivesBack) {
        EXPECT_LT(residentKiB() - residentAtStart, (residentAfterGame - residentAtStart) / 4)
            << "resident " << residentAtStart << " KiB at the start, " << residentAfterGame << " KiB after the game";
    }
}

// Undone steps have freed their snapshots as well: a new game after a long
// history undone whole hands the heap back as after one kept.
TEST_F(LongSession, AHistoryUndoneWholeIsHandedBackWithTheNextGame) {
    seed = 9100;
    reset(false);
    render();
    const long residentAtStart = residentKiB();
    for (int k = 0; k < 20000; ++k) drawFromStock();
    const long residentAfterDraws = residentKiB();
    for (int k = 0; k < 20000; ++k) undo();
    ASSERT_TRUE(game.history.empty());
    reset(false);
    if (allocatorGivesBack) {
        EXPECT_LT(residentKiB() - residentAtStart, (residentAfterDraws - residentAtStart) / 4)
            << "resident " << residentAtStart << " KiB at the start, " << residentAfterDraws << " KiB after the draws";
    }
}

TEST_F(LongSession, TenThousandNewGamesHoldNothingOfTheOldOnes) {
    seed = 50000;
    reset(false);
    for (int g = 1; g <= 10000; ++g) {
        // A few actions in each game, so that each has something to forget.
        drawFromStock();
        drawFromStock();
        undo();
        drawFromStock();
        reset(false);
        ASSERT_EQ(0u, game.history.capacity()) << "game " << g;
        ASSERT_EQ(0u, clockMarks().startTicks);
        if (g % 500 == 0) {
            ASSERT_TRUE(validTable(game)) << "game " << g;
            render();
            EXPECT_LE(cachedTexts().size(), 256u);
            EXPECT_EQ(nullptr, winFlight().winTrail);
            EXPECT_TRUE(winImprints().empty());
        }
    }
    EXPECT_EQ(60001u, seed);
}

}  // namespace
