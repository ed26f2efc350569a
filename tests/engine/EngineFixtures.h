// Shared helpers for the engine tests: decks and cards for positions built
// by hand. Invariants and certificate replay are in support/Invariants.h.
#pragma once

#include "engine/Solitaire.h"
#include "support/Invariants.h"

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

}  // namespace fixtures
