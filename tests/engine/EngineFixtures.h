// Shared helpers for the engine tests: decks, positions built by hand,
// certificate replay and the invariants of a laid-out game.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/Solitaire.h"

namespace fixtures {

// Suit 0 ace to king, then suits 1, 2 and 3 likewise, all face down.
inline sol::Pile sortedDeck() {
    sol::Pile deck;
    for (int s = 0; s < 4; ++s)
        for (int r = 1; r <= 13; ++r) deck.push_back({s, r, false});
    return deck;
}

inline sol::Card up(int suit, int rank) { return {suit, rank, true}; }
inline sol::Card down(int suit, int rank) { return {suit, rank, false}; }

// Replays a certificate; false at the first refused move.
inline bool replay(sol::Game& game, const std::vector<sol::Game::Step>& path) {
    for (const sol::Game::Step& step : path) {
        if (step.source == 0)
            game.draw();
        else if (!game.move(step.source, step.index, step.destination))
            return false;
    }
    return true;
}

// Empty when the state keeps every invariant of a 52-card game, otherwise
// what is broken.
inline std::string invariantViolation(const sol::State& state) {
    std::set<int> seen;
    size_t total = 0;
    for (int p = 0; p < 13; ++p) {
        const sol::Pile& pile = state.piles[p];
        total += pile.size();
        for (size_t i = 0; i < pile.size(); ++i) {
            const sol::Card& c = pile[i];
            if (c.suit < 0 || c.suit > 3 || c.rank < 1 || c.rank > 13) return "card out of range";
            if (!seen.insert(c.suit * 13 + c.rank).second) return "card twice";
            if (p == 0 && c.up) return "stock card face up";
            if ((p >= 1 && p <= 5) && !c.up) return "waste or foundation card face down";
            if (p >= 2 && p <= 5) {
                if (c.rank != static_cast<int>(i) + 1) return "foundation out of order";
                if (c.suit != pile[0].suit) return "foundation mixes suits";
            }
            if (p >= 6 && i > 0 && !c.up && pile[i - 1].up) return "face-down card above a face-up one";
        }
        if (p >= 6 && !pile.empty() && !pile.back().up) return "column top face down";
    }
    if (total != 52 || seen.size() != 52) return "not 52 cards";
    if (state.score < 0) return "negative score";
    return "";
}

}  // namespace fixtures
