// Hand-built table positions and the engine invariants that every sequence of
// input must keep, shared by the frame, action and pointer tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/Solitaire.h"
#include "interaction/Actions.h"
#include "interaction/Pointer.h"
#include "support/Invariants.h"
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

// The engine's invariants (support/Invariants.h) as a gtest assertion.
inline ::testing::AssertionResult validTable(const sol::Game& g) {
    const std::string broken = checks::invariantViolation(g.state);
    if (broken.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << broken;
}
