// Cards and decks for positions built by hand, in every kind of test.
// Engine types only, so that the engine tests need no SDL.
#pragma once

#include <algorithm>
#include <random>

#include "engine/Solitaire.h"

// A card showing its face.
inline sol::Card faceUp(int suit, int rank) { return {suit, rank, true}; }

// A card showing its back.
inline sol::Card faceDown(int suit, int rank) { return {suit, rank, false}; }

// Suit 0 ace to king, then suits 1, 2 and 3 likewise, all face down.
inline sol::Pile sortedDeck() {
    sol::Pile deck;
    for (int s = 0; s < 4; ++s)
        for (int r = 1; r <= 13; ++r) deck.push_back(faceDown(s, r));
    return deck;
}

// The sorted deck in std::shuffle's order for `rng`, which it advances.
inline sol::Pile shuffledDeck(std::mt19937& rng) {
    sol::Pile deck = sortedDeck();
    std::shuffle(deck.begin(), deck.end(), rng);
    return deck;
}
