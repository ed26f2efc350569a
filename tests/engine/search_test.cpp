// The certificate search: its candidate order, its limits, foundationsOnly,
// and that it never touches the game it is asked about.
#include <gtest/gtest.h>

#include <random>

#include "support/Cards.h"
#include "support/Invariants.h"
#include "support/Replay.h"
#include "support/Tables.h"

namespace {

sol::Game shuffled(uint32_t seed, int drawCount) {
    std::mt19937 rng(seed);
    sol::Game game;
    game.drawCount = drawCount;
    game.layout(shuffledDeck(rng));
    return game;
}

// No foundation move; the jack of spades over a face-down card can go on
// the queen of hearts (revealing), and so could, without revealing, the
// queen of hearts from a lower column onto the king of spades.
sol::Game needsARevealingMove() {
    return position({9, 10, 13, 13}, {
                                         {6, {faceUp(1, 12)}},
                                         {8, {faceUp(0, 13)}},
                                         {9, {faceDown(0, 10), faceUp(0, 11)}},
                                         {10, {faceDown(1, 11), faceUp(1, 13)}},
                                         {11, {faceUp(0, 12)}},
                                     });
}

}  // namespace

TEST(Search, TrivialPositions) {
    sol::Game empty;
    std::vector<sol::Game::Step> path{{1, 2, 3}};
    EXPECT_FALSE(empty.findSolution(path, false));
    EXPECT_TRUE(path.empty());

    sol::Game won = position({13, 13, 13, 13}, {});
    path = {{1, 2, 3}};
    EXPECT_TRUE(won.findSolution(path, false));
    EXPECT_TRUE(path.empty());
}

TEST(Search, CandidateOrder) {
    struct Case {
        const char* what;
        sol::Game game;
        sol::Game::Step first;
    } cases[] = {
        {"a foundation move comes before any tableau move",
         position({12, 11, 13, 13}, {{6, {faceUp(0, 13)}}, {7, {faceUp(1, 12)}}, {8, {faceUp(1, 13)}}}),
         {6, 0, 2}},
        {"the waste is the first source",
         position({12, 11, 13, 13}, {{1, {faceUp(1, 12)}}, {6, {faceUp(0, 13)}}, {7, {faceUp(1, 13)}}}),
         {1, 0, 3}},
        {"an ace goes to the lowest empty foundation",
         position({0, 13, 13, 0}, {{6,
                                    {faceDown(3, 13), faceDown(3, 12), faceDown(3, 11), faceDown(3, 10), faceDown(3, 9),
                                     faceDown(3, 8), faceDown(3, 7), faceDown(3, 6), faceDown(3, 5), faceDown(3, 4),
                                     faceDown(3, 3), faceDown(3, 2), faceUp(3, 1)}},
                                   {7,
                                    {faceDown(0, 13), faceDown(0, 12), faceDown(0, 11), faceDown(0, 10), faceDown(0, 9),
                                     faceDown(0, 8), faceDown(0, 7), faceDown(0, 6), faceDown(0, 5), faceDown(0, 4),
                                     faceDown(0, 3), faceDown(0, 2), faceUp(0, 1)}}}),
         {6, 12, 2}},
        {"a revealing move comes before a plain move from a lower column", needsARevealingMove(), {9, 1, 6}},
        {"a king at the bottom of a column never goes to an empty column",
         position({13, 11, 13, 13}, {{0, {faceDown(1, 12)}}, {6, {faceUp(1, 13)}}}),
         {0, 0, 0}},
    };
    for (Case& c : cases) {
        ASSERT_EQ(checks::invariantViolation(c.game.state), "") << c.what;
        std::vector<sol::Game::Step> path;
        ASSERT_TRUE(c.game.findSolution(path, false)) << c.what;
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path.front(), c.first) << c.what << ": took " << path.front().source << "," << path.front().index
                                         << "->" << path.front().destination;
        for (const sol::Game::Step& s : path) {
            const bool wholeColumnToEmpty = s.source >= 6 && s.index == 0 && s.destination >= 6;
            EXPECT_FALSE(wholeColumnToEmpty) << c.what;
        }
        sol::Game replayed = c.game;
        ASSERT_TRUE(replay(replayed, path)) << c.what;
        EXPECT_TRUE(replayed.won()) << c.what;
    }
}

TEST(Search, FoundationsOnly) {
    sol::Game game = needsARevealingMove();
    std::vector<sol::Game::Step> path;
    EXPECT_FALSE(game.findSolution(path, true));
    EXPECT_TRUE(path.empty());
    EXPECT_TRUE(game.findSolution(path, false));

    // Draws and foundation moves alone: the ace and two of clubs wait in
    // the stock, the three to six on the waste, the rest in columns.
    sol::Game drawn = position({13, 13, 13, 0}, {{0, {faceDown(3, 1), faceDown(3, 2)}},
                                                 {1, {faceUp(3, 6), faceUp(3, 5), faceUp(3, 4), faceUp(3, 3)}},
                                                 {6, {faceUp(3, 13)}},
                                                 {7, {faceDown(3, 12), faceUp(3, 11)}},
                                                 {8, {faceDown(3, 10), faceDown(3, 9), faceDown(3, 8), faceUp(3, 7)}}});
    ASSERT_EQ(checks::invariantViolation(drawn.state), "");
    ASSERT_TRUE(drawn.findSolution(path, true));
    EXPECT_EQ(path.size(), 15u);  // two draws and thirteen foundation moves
    for (const sol::Game::Step& s : path) EXPECT_TRUE(drawsFromStock(s) || (s.destination >= 2 && s.destination <= 5));
}

TEST(Search, StepLimit) {
    // Found with a search without limit: one-card shuffles of these seeds
    // are won in exactly 600 steps and in more than 600.
    sol::Game atLimit = shuffled(14808, 1);
    std::vector<sol::Game::Step> path;
    ASSERT_TRUE(atLimit.findSolution(path, false));
    EXPECT_EQ(path.size(), 600u);

    sol::Game beyond = shuffled(389, 1);
    EXPECT_FALSE(beyond.findSolution(path, false));
    EXPECT_TRUE(path.empty());
}

TEST(Search, LeavesTheCallerAlone) {
    sol::Game game;
    game.drawCount = 3;
    game.deal(2024, 64);
    game.draw();
    game.autoMove(1, static_cast<int>(game.state.piles[1].size()) - 1);
    game.state.score = 35;
    const sol::Game before = game;
    std::vector<sol::Game::Step> path;
    game.findSolution(path, false);
    EXPECT_TRUE(game.state == before.state);
    EXPECT_EQ(game.history.size(), before.history.size());
    EXPECT_EQ(game.solution, before.solution);
    EXPECT_EQ(game.drawCount, 3);
}
