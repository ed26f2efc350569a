// Cards, piles, layout, the position key, the rules of play, scoring, draws
// and undo.
#include <gtest/gtest.h>

#include <climits>

#include "support/Cards.h"
#include "support/Invariants.h"
#include "support/Replay.h"
#include "support/Tables.h"

TEST(Layout, SortedDeck) {
    sol::Game game;
    game.solution.push_back({0, 0, 0});
    game.history.push_back(game.state);
    game.layout(sortedDeck());
    const auto& piles = game.state.piles;
    EXPECT_TRUE(game.history.empty());
    EXPECT_TRUE(game.solution.empty());
    EXPECT_EQ(game.state.score, 0);
    EXPECT_FALSE(game.state.started);
    ASSERT_EQ(piles[6].size(), 1u);
    EXPECT_EQ(piles[6][0], faceUp(3, 13));
    ASSERT_EQ(piles[7].size(), 2u);
    EXPECT_EQ(piles[7][0], faceDown(3, 12));
    EXPECT_EQ(piles[7][1], faceUp(3, 11));
    const sol::Pile column6 = {faceDown(2, 5), faceDown(2, 4),  faceDown(2, 3), faceDown(2, 2),
                               faceDown(2, 1), faceDown(1, 13), faceUp(1, 12)};
    EXPECT_EQ(piles[12], column6);
    ASSERT_EQ(piles[0].size(), 24u);
    EXPECT_EQ(piles[0].front(), faceDown(0, 1));
    EXPECT_EQ(piles[0].back(), faceDown(1, 11));
    for (int p = 1; p <= 5; ++p) EXPECT_TRUE(piles[p].empty());
    EXPECT_EQ(checks::invariantViolation(game.state), "");
}

TEST(PositionKey, ByteLayout) {
    sol::Game game;
    EXPECT_EQ(sol::Game::position(game.state), std::string(13, '\0'));

    game.layout(sortedDeck());
    const std::string key = sol::Game::position(game.state);
    ASSERT_EQ(key.size(), 65u);
    for (int k = 0; k < 24; ++k) EXPECT_EQ(static_cast<unsigned char>(key[k]), 1 + 2 * k) << k;
    const unsigned char next[] = {0, 0, 0, 0, 0, 0, 104, 0};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(static_cast<unsigned char>(key[24 + k]), next[k]) << k;
    EXPECT_EQ(static_cast<unsigned char>(key[64]), 0);

    // Score and started are not part of the key; a face flag is.
    sol::State other = game.state;
    other.score = 75;
    other.started = true;
    EXPECT_EQ(sol::Game::position(other), key);
    other.piles[0].back().up = true;
    const std::string flipped = sol::Game::position(other);
    EXPECT_NE(flipped, key);
    EXPECT_EQ(flipped[23], key[23] + 1);
}

TEST(Rules, SequenceAndCanMove) {
    // Waste: 7 of hearts under the 9 of clubs. Foundations: ace and two of
    // spades on 2, ace of diamonds on 3. Columns: 6 a face-down king under the
    // run 10 hearts, 9 spades, 8 hearts; 7 the 10 of clubs; 8 empty; 9 a king
    // of hearts with the queen of clubs; 10 two same-coloured cards; 11 a
    // face-down card on top; 12 a rank gap.
    const sol::Game g = position({
        {1, {faceUp(1, 7), faceUp(3, 9)}},
        {2, {faceUp(0, 1), faceUp(0, 2)}},
        {3, {faceUp(2, 1)}},
        {6, {faceDown(0, 13), faceUp(1, 10), faceUp(0, 9), faceUp(1, 8)}},
        {7, {faceUp(3, 10)}},
        {9, {faceUp(1, 13), faceUp(3, 12)}},
        {10, {faceUp(0, 6), faceUp(3, 5)}},
        {11, {faceUp(0, 4), faceDown(1, 3)}},
        {12, {faceUp(0, 5), faceUp(1, 3)}},
    });
    struct Case {
        int p, i;
        bool sequence;
    } sequences[] = {
        {0, 0, false},
        {1, 0, false},
        {1, 1, true},
        {1, 2, false},
        {2, 0, false},
        {2, 1, true},
        {3, 0, true},
        {6, 0, false},
        {6, 1, true},
        {6, 2, true},
        {6, 3, true},
        {6, 4, false},
        {9, 0, true},
        {10, 0, false},
        {10, 1, true},
        {11, 0, false},
        {11, 1, false},
        {12, 0, false},
        {12, 1, true},
        {-1, 0, false},
        {13, 0, false},
        {6, -1, false},
        {INT_MIN, INT_MIN, false},
        {INT_MAX, INT_MAX, false},
        {8, 0, false},
    };
    for (const Case& c : sequences) EXPECT_EQ(g.sequence(c.p, c.i), c.sequence) << c.p << "," << c.i;

    struct Move {
        int p, i, dest;
        bool legal;
    } moves[] = {
        {6, 1, 7, false},   // 10 on 10
        {6, 2, 7, false},   // 9 of spades on the 10 of clubs: same colour
        {6, 3, 7, false},   // 8 on 10: rank gap
        {6, 1, 8, false},   // only a king goes to an empty column
        {9, 0, 8, true},    // a whole column with a king at its bottom
        {9, 1, 6, false},   // queen of clubs on the 8 of hearts
        {1, 1, 6, false},   // 9 of clubs on the 8 of hearts
        {1, 0, 12, false},  // a covered waste card never moves
        {2, 1, 12, true},   // two of spades back on the three of hearts
        {2, 1, 3, false},   // foundation to foundation, wrong suit
        {3, 0, 4, true},    // a lone ace moves to another empty foundation
        {3, 0, 0, false},   // nothing goes to the stock
        {2, 1, 1, false},   // nor to the waste
        {6, 3, 6, false},   // nor to its own pile
        {6, 2, 2, false},   // two cards never go to a foundation together
        {12, 1, 3, false},  // three of hearts on the ace of diamonds
        {0, 0, 6, false},   // the stock is never a source
        {7, 0, 13, false}, {7, 0, -1, false},  {7, 5, 9, false},
        {7, -3, 9, false}, {11, 1, 12, false},  // a face-down card
    };
    for (const Move& m : moves) {
        EXPECT_EQ(g.canMove(m.p, m.i, m.dest), m.legal) << m.p << "," << m.i << "->" << m.dest;
        sol::Game copy = g;
        EXPECT_EQ(copy.move(m.p, m.i, m.dest), m.legal);
        EXPECT_EQ(copy.history.size(), m.legal ? 1u : 0u);
        if (!m.legal) {
            EXPECT_TRUE(copy.state == g.state);
        }
    }
}

TEST(Rules, MoveEffectsAndScoring) {
    struct Case {
        const char* what;
        sol::Game game;
        int p, i, dest;
        int score;
    } cases[] = {
        {"waste to foundation", position({{1, {faceUp(0, 1)}}}), 1, 0, 2, 10},
        {"waste to tableau", position({{1, {faceUp(1, 12)}}, {6, {faceUp(0, 13)}}}), 1, 0, 6, 5},
        {"foundation to tableau", position({{2, {faceUp(0, 1), faceUp(0, 2)}}, {6, {faceUp(1, 3)}}}, 40), 2, 1, 6, 25},
        {"foundation to tableau clamps at 0", position({{2, {faceUp(0, 1), faceUp(0, 2)}}, {6, {faceUp(1, 3)}}}, 10), 2,
         1, 6, 0},
        {"tableau to tableau", position({{6, {faceUp(0, 13)}}, {7, {faceUp(1, 12)}}}, 7), 7, 0, 6, 7},
        {"tableau to tableau revealing", position({{6, {faceUp(0, 13)}}, {7, {faceDown(3, 2), faceUp(1, 12)}}}), 7, 1,
         6, 5},
        {"tableau to foundation revealing", position({{7, {faceDown(3, 2), faceUp(1, 1)}}}), 7, 1, 2, 15},
        {"tableau to foundation over a face-up card", position({{7, {faceUp(3, 2), faceUp(1, 1)}}}), 7, 1, 2, 10},
        {"tableau to foundation emptying", position({{7, {faceUp(1, 1)}}}), 7, 0, 2, 10},
        {"ace between foundations", position({{3, {faceUp(1, 1)}}}), 3, 0, 5, 10},
    };
    for (Case& c : cases) {
        const sol::State before = c.game.state;
        const sol::Pile moved(before.piles[c.p].begin() + c.i, before.piles[c.p].end());
        ASSERT_TRUE(c.game.move(c.p, c.i, c.dest)) << c.what;
        const sol::State& after = c.game.state;
        EXPECT_EQ(after.score, c.score) << c.what;
        EXPECT_TRUE(after.started) << c.what;
        ASSERT_EQ(c.game.history.size(), 1u);
        EXPECT_TRUE(c.game.history[0] == before) << c.what;
        // The run lands on top of the destination in its order.
        const sol::Pile& dest = after.piles[c.dest];
        EXPECT_EQ(sol::Pile(dest.end() - moved.size(), dest.end()), moved) << c.what;
        EXPECT_EQ(after.piles[c.p].size(), static_cast<size_t>(c.i)) << c.what;
        if (!after.piles[c.p].empty() && c.p >= 6) {
            EXPECT_TRUE(after.piles[c.p].back().up) << c.what;
        }
        ASSERT_TRUE(c.game.undo());
        EXPECT_TRUE(c.game.state == before) << c.what;
    }
}

TEST(Rules, AutoMoveTakesTheLowestFoundationThatAccepts) {
    sol::Game g = position(
        {{2, {faceUp(0, 1)}}, {3, {faceUp(3, 1)}}, {6, {faceUp(1, 1)}}, {7, {faceUp(3, 2)}}, {8, {faceUp(2, 5)}}});
    EXPECT_TRUE(g.autoMove(6, 0));
    EXPECT_EQ(g.state.piles[4].size(), 1u);
    EXPECT_TRUE(g.autoMove(7, 0));
    EXPECT_EQ(g.state.piles[3].size(), 2u);
    EXPECT_FALSE(g.autoMove(8, 0));
    EXPECT_FALSE(g.autoMove(8, 7));
    EXPECT_FALSE(g.autoMove(-5, 0));
    EXPECT_EQ(g.state.score, 20);
    EXPECT_EQ(g.history.size(), 2u);

    // The three of spades would fit, but not with the two of hearts on it.
    sol::Game run = position({{2, {faceUp(0, 1), faceUp(0, 2)}}, {6, {faceUp(0, 3), faceUp(1, 2)}}});
    EXPECT_FALSE(run.autoMove(6, 0));
    EXPECT_TRUE(run.history.empty());
}

TEST(Draw, OneCardThroughTheStockAndTurningOver) {
    sol::Game g;
    g.layout(sortedDeck());
    g.state.score = 60;
    const sol::Pile stock = g.state.piles[0];
    for (int k = 0; k < 24; ++k) {
        g.draw();
        EXPECT_EQ(g.state.piles[1].back(), faceUp(stock[23 - k].suit, stock[23 - k].rank));
    }
    EXPECT_TRUE(g.state.piles[0].empty());
    EXPECT_EQ(g.state.score, 60);
    g.draw();  // turns the waste over: the stock is back in its order, face down
    EXPECT_EQ(g.state.piles[0], stock);
    EXPECT_TRUE(g.state.piles[1].empty());
    EXPECT_EQ(g.state.score, 0);
    EXPECT_EQ(g.history.size(), 25u);
    g.state.score = 150;
    for (int k = 0; k < 25; ++k) g.draw();
    EXPECT_EQ(g.state.score, 50);
}

TEST(Draw, ThreeCardsAndShortStock) {
    sol::Game g = position({{0, {faceDown(0, 5), faceDown(1, 6)}}, {1, {faceUp(2, 9)}}});
    g.drawCount = 3;
    g.draw();
    const sol::Pile waste = {faceUp(2, 9), faceUp(1, 6), faceUp(0, 5)};
    EXPECT_EQ(g.state.piles[1], waste);
    EXPECT_TRUE(g.state.piles[0].empty());
}

TEST(Draw, NothingToDrawRecordsNothing) {
    sol::Game g = position({{6, {faceUp(0, 13)}}, {7, {faceUp(1, 12)}}});
    ASSERT_TRUE(g.move(7, 0, 6));
    g.draw();
    EXPECT_EQ(g.history.size(), 1u);
    ASSERT_TRUE(g.undo());
    EXPECT_EQ(g.state.piles[7].size(), 1u);
    EXPECT_FALSE(g.state.started);
    EXPECT_FALSE(g.undo());
}

TEST(Undo, WalksBackEveryActionExactly) {
    sol::Game g;
    g.deal(42, 64);
    const sol::Game dealt = g;
    EXPECT_FALSE(g.undo());
    EXPECT_TRUE(g.state == dealt.state);

    std::vector<sol::State> states{g.state};
    for (const sol::Game::Step& step : dealt.solution) {
        ASSERT_TRUE(playStep(g, step));
        states.push_back(g.state);
    }
    EXPECT_TRUE(g.won());
    for (size_t k = states.size() - 1; k > 0; --k) {
        ASSERT_TRUE(g.undo());
        EXPECT_TRUE(g.state == states[k - 1]) << k;
    }
    EXPECT_FALSE(g.state.started);
    EXPECT_FALSE(g.undo());
}

TEST(Won, CountsFoundationCards) {
    sol::Game g;
    EXPECT_FALSE(g.won());
    g.state = wonTable();
    EXPECT_TRUE(g.won());
    g.state.piles[12].push_back(g.state.piles[5].back());
    g.state.piles[5].pop_back();
    EXPECT_FALSE(g.won());
}
