// Tables built by hand: positions of given piles, foundations, won tables
// and a table two moves from its win. Engine types only, so that the engine
// tests need no SDL.
#pragma once

#include <array>
#include <initializer_list>
#include <utility>

#include "engine/Solitaire.h"
#include "support/Cards.h"

// A foundation of one suit from the ace up to `top`.
inline sol::Pile foundation(int suit, int top = 13) {
    sol::Pile pile;
    for (int r = 1; r <= top; ++r) pile.push_back(faceUp(suit, r));
    return pile;
}

// A won table: foundations 2..5 hold the suits in `suits`, ace to king.
inline sol::State wonTable(const std::array<int, 4>& suits = {0, 1, 2, 3}) {
    sol::State state;
    for (int f = 0; f < 4; ++f) state.piles[2 + f] = foundation(suits[f]);
    return state;
}

// Two moves from a win: spades, hearts and diamonds complete, clubs up to the
// jack, the queen of clubs on column 6 and the king of clubs on column 7.
inline sol::State twoMovesFromWin() {
    sol::State state = wonTable();
    state.piles[5] = foundation(3, 11);
    state.piles[6] = {faceUp(3, 12)};
    state.piles[7] = {faceUp(3, 13)};
    return state;
}

// A game whose piles are given directly; everything else as after a deal.
inline sol::Game position(std::initializer_list<std::pair<int, sol::Pile>> piles, int score = 0) {
    sol::Game game;
    for (const auto& entry : piles) game.state.piles[entry.first] = entry.second;
    game.state.score = score;
    return game;
}

// A game whose foundation f (2..5) holds suit f - 2 from the ace up to
// homeRank[f - 2] (0: empty), under the given piles.
inline sol::Game position(const std::array<int, 4>& homeRank, std::initializer_list<std::pair<int, sol::Pile>> piles) {
    sol::Game game;
    for (int s = 0; s < 4; ++s) game.state.piles[2 + s] = foundation(s, homeRank[s]);
    for (const auto& entry : piles) game.state.piles[entry.first] = entry.second;
    return game;
}
