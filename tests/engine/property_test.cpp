// Random play, with nonsense arguments mixed in, keeps every invariant of a
// game, refused actions change nothing, and undo walks back exactly.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "support/Invariants.h"
#include "support/Replay.h"

TEST(Property, RandomActionsKeepInvariantsAndUndoWalksBack) {
    std::mt19937 rng(20261210);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto wild = [&]() {
        const int extremes[] = {INT_MIN, -1000000, -2, -1, 13, 14, 99, INT_MAX};
        return pick(0, 9) == 0 ? extremes[pick(0, 7)] : pick(-1, 20);
    };
    long actions = 0, recorded = 0;
    for (int deal = 0; deal < 120; ++deal) {
        sol::Game game;
        game.drawCount = deal % 2 ? 3 : 1;
        game.deal(static_cast<uint32_t>(rng()), 64);
        const sol::State dealt = game.state;
        std::vector<sol::State> states{game.state};
        for (int step = 0; step < 300; ++step, ++actions) {
            const sol::State before = game.state;
            const size_t depth = game.history.size();
            bool changed = false;
            switch (pick(0, 9)) {
            case 0:
            case 1:
                game.draw();
                changed = game.history.size() != depth;
                break;
            case 2:
            case 3: {  // a move the rules may allow: a real run and a real pile
                const int p = pick(1, 12);
                const int size = static_cast<int>(game.state.piles[p].size());
                changed = game.move(p, size ? pick(0, size - 1) : 0, pick(2, 12));
                break;
            }
            case 4:
                changed = game.move(wild(), wild(), wild());
                break;
            case 5:
                changed = game.autoMove(wild(), wild());
                break;
            case 6: {
                const int p = pick(1, 12);
                changed = game.autoMove(p, static_cast<int>(game.state.piles[p].size()) - 1);
                break;
            }
            case 7: {  // queries never change anything
                const int p = wild(), i = wild(), d = wild();
                const bool movable = game.canMove(p, i, d);
                if (movable) {
                    EXPECT_TRUE(game.sequence(p, i));
                }
                EXPECT_TRUE(game.state == before);
                break;
            }
            case 8:
                if (game.undo()) {
                    states.pop_back();
                    ASSERT_TRUE(game.state == states.back());
                } else {
                    ASSERT_TRUE(game.state == dealt);
                }
                continue;
            default: {  // the first move of the certificate that still applies, if any
                for (const sol::Game::Step& s : game.solution)
                    if (!drawsFromStock(s) && game.move(s.source, s.index, s.destination)) {
                        changed = true;
                        break;
                    }
                break;
            }
            }
            ASSERT_EQ(game.history.size(), depth + (changed ? 1 : 0));
            if (changed) {
                ++recorded;
                EXPECT_TRUE(game.state.started);
                EXPECT_TRUE(game.history.back() == before);
                states.push_back(game.state);
            } else {
                ASSERT_TRUE(game.state == before);
            }
            ASSERT_EQ(checks::invariantViolation(game.state), "") << "deal " << deal << " step " << step;
        }
        while (game.undo()) {}
        EXPECT_TRUE(game.state == dealt);
        EXPECT_FALSE(game.state.started);
    }
    EXPECT_GT(recorded, actions / 5);  // the walk must really play
}
