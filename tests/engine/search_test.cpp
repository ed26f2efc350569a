// The certificate search: its candidate order, its limits, foundationsOnly,
// and that it never touches the game it is asked about.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "EngineFixtures.h"

using fixtures::down;
using fixtures::up;

namespace {

// A 52-card position: each foundation f (2..5) holds suit f - 2 from the ace
// up to homeRank[f - 2]; the given piles hold the rest.
sol::Game position(std::array<int, 4> homeRank, std::initializer_list<std::pair<int, sol::Pile>> piles) {
    sol::Game game;
    for (int s = 0; s < 4; ++s)
        for (int r = 1; r <= homeRank[s]; ++r) game.state.piles[2 + s].push_back(up(s, r));
    for (const auto& entry : piles) game.state.piles[entry.first] = entry.second;
    return game;
}

sol::Game shuffled(uint32_t seed, int drawCount) {
    sol::Pile deck = fixtures::sortedDeck();
    std::mt19937 rng(seed);
    std::shuffle(deck.begin(), deck.end(), rng);
    sol::Game game;
    game.drawCount = drawCount;
    game.layout(deck);
    return game;
}

// No foundation move; the jack of spades over a face-down card can go on
// the queen of hearts (revealing), and so could, without revealing, the
// queen of hearts from a lower column onto the king of spades.
sol::Game needsARevealingMove() {
    return position({9, 10, 13, 13}, {
                                         {6, {up(1, 12)}},
                                         {8, {up(0, 13)}},
                                         {9, {down(0, 10), up(0, 11)}},
                                         {10, {down(1, 11), up(1, 13)}},
                                         {11, {up(0, 12)}},
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
         position({12, 11, 13, 13}, {{6, {up(0, 13)}}, {7, {up(1, 12)}}, {8, {up(1, 13)}}}), {6, 0, 2}},
        {"the waste is the first source",
         position({12, 11, 13, 13}, {{1, {up(1, 12)}}, {6, {up(0, 13)}}, {7, {up(1, 13)}}}), {1, 0, 3}},
        {"an ace goes to the lowest empty foundation",
         position({0, 13, 13, 0}, {{6, {down(3, 13), down(3, 12), down(3, 11), down(3, 10), down(3, 9), down(3, 8),
                                        down(3, 7), down(3, 6), down(3, 5), down(3, 4), down(3, 3), down(3, 2), up(3, 1)}},
                                   {7, {down(0, 13), down(0, 12), down(0, 11), down(0, 10), down(0, 9), down(0, 8),
                                        down(0, 7), down(0, 6), down(0, 5), down(0, 4), down(0, 3), down(0, 2), up(0, 1)}}}),
         {6, 12, 2}},
        {"a revealing move comes before a plain move from a lower column", needsARevealingMove(), {9, 1, 6}},
        {"a king at the bottom of a column never goes to an empty column",
         position({13, 11, 13, 13}, {{0, {down(1, 12)}}, {6, {up(1, 13)}}}), {0, 0, 0}},
    };
    for (Case& c : cases) {
        ASSERT_EQ(checks::invariantViolation(c.game.state), "") << c.what;
        std::vector<sol::Game::Step> path;
        ASSERT_TRUE(c.game.findSolution(path, false)) << c.what;
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path.front(), c.first) << c.what << ": took " << path.front().source << ","
                                         << path.front().index << "->" << path.front().destination;
        for (const sol::Game::Step& s : path) {
            const bool wholeColumnToEmpty = s.source >= 6 && s.index == 0 && s.destination >= 6;
            EXPECT_FALSE(wholeColumnToEmpty) << c.what;
        }
        sol::Game replayed = c.game;
        ASSERT_TRUE(checks::replay(replayed, path)) << c.what;
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
    sol::Game drawn = position({13, 13, 13, 0}, {{0, {down(3, 1), down(3, 2)}},
                                                {1, {up(3, 6), up(3, 5), up(3, 4), up(3, 3)}},
                                                {6, {up(3, 13)}},
                                                {7, {down(3, 12), up(3, 11)}},
                                                {8, {down(3, 10), down(3, 9), down(3, 8), up(3, 7)}}});
    ASSERT_EQ(checks::invariantViolation(drawn.state), "");
    ASSERT_TRUE(drawn.findSolution(path, true));
    EXPECT_EQ(path.size(), 15u);  // two draws and thirteen foundation moves
    for (const sol::Game::Step& s : path) EXPECT_TRUE(s.source == 0 || (s.destination >= 2 && s.destination <= 5));
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
