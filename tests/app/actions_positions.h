// Hand-built table positions and the engine invariants that every sequence of
// input must keep, shared by the frame, action and pointer tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>

#include "engine/Solitaire.h"
#include "interaction/Actions.h"
#include "interaction/Pointer.h"
#include "support/TableState.h"

inline sol::Card faceUp(int suit, int rank) { return {suit, rank, true}; }
inline sol::Card faceDown(int suit, int rank) { return {suit, rank, false}; }

// Foundation of one suit from the ace up to `top`.
inline sol::Pile foundation(int suit, int top) {
    sol::Pile pile;
    for (int r = 1; r <= top; ++r) pile.push_back(faceUp(suit, r));
    return pile;
}

// One move from a win: spades, hearts and diamonds complete, clubs up to the
// jack, the queen of clubs on column 6 and the king of clubs on column 7.
inline void twoMovesFromWin() {
    clearTable();
    game.state.piles[2] = foundation(0, 13);
    game.state.piles[3] = foundation(1, 13);
    game.state.piles[4] = foundation(2, 13);
    game.state.piles[5] = foundation(3, 11);
    game.state.piles[6] = {faceUp(3, 12)};
    game.state.piles[7] = {faceUp(3, 13)};
}

// The engine's invariants: all 52 cards once; stock face down; waste and
// foundations face up; a foundation is one suit from the ace upwards; a
// column is face-down cards under a face-up run whose top card is face up.
inline ::testing::AssertionResult validTable(const sol::Game& g) {
    std::set<int> seen;
    size_t total = 0;
    for (int p = 0; p < 13; ++p) {
        const sol::Pile& pile = g.state.piles[p];
        for (size_t j = 0; j < pile.size(); ++j) {
            const sol::Card& c = pile[j];
            if (c.suit < 0 || c.suit > 3 || c.rank < 1 || c.rank > 13)
                return ::testing::AssertionFailure() << "bad card in pile " << p;
            seen.insert(c.suit * 13 + c.rank);
            ++total;
            if (p == 0 && c.up) return ::testing::AssertionFailure() << "stock card face up at " << j;
            if (p >= 1 && p <= 5 && !c.up)
                return ::testing::AssertionFailure() << "face-down card on pile " << p;
            if (p >= 2 && p <= 5 && (c.suit != pile[0].suit || c.rank != static_cast<int>(j) + 1))
                return ::testing::AssertionFailure() << "foundation " << p << " out of order at " << j;
        }
        if (p >= 6 && !pile.empty()) {
            size_t firstUp = 0;
            while (firstUp < pile.size() && !pile[firstUp].up) ++firstUp;
            if (firstUp == pile.size())
                return ::testing::AssertionFailure() << "column " << p << " has a face-down top";
            if (!g.sequence(p, static_cast<int>(firstUp)))
                return ::testing::AssertionFailure() << "column " << p << " face-up cards are no run";
        }
    }
    if (total != 52 || seen.size() != 52)
        return ::testing::AssertionFailure() << total << " cards, " << seen.size() << " distinct";
    return ::testing::AssertionSuccess();
}
