// The position key, written by Game::position and, in place, by the search.
// Private to the engine.
#pragma once

#include <cstddef>

#include "engine/Solitaire.h"

namespace sol {
namespace detail {

inline unsigned char cardByte(const Card& c) {
    return static_cast<unsigned char>(1 + 2 * (13 * c.suit + c.rank - 1) + (c.up ? 1 : 0));
}

inline size_t keyLength(const State& state) {
    size_t cards = 0;
    for (const Pile& pile : state.piles) cards += pile.size();
    return cards + state.piles.size();
}

// Where pile `pile`'s bytes start in the key.
inline size_t keyOffset(const State& state, int pile) {
    size_t at = 0;
    for (int p = 0; p < pile; ++p) at += state.piles[p].size() + 1;
    return at;
}

// Writes the key to out, which has room for it; returns its length. With
// `from`, the bytes of the piles below it are taken as already in place, so
// that the search rewrites only the piles a step may have changed.
inline size_t writePosition(const State& state, char* out, int from = 0) {
    char* at = out + keyOffset(state, from);
    for (int p = from; p < pileCount; ++p) {
        for (const Card& c : state.piles[p]) *at++ = static_cast<char>(cardByte(c));
        *at++ = '\0';
    }
    return static_cast<size_t>(at - out);
}

}  // namespace detail
}  // namespace sol
