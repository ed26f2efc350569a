// The effects of moves and draws, shared by Game, which records each one for
// undo, and by the search, which applies and takes back thousands without.
// Private to the engine.
#pragma once

#include "engine/Solitaire.h"

namespace sol {
namespace detail {

// Whether c may lie on `below` in a run: one rank lower, the other colour.
inline bool followsInRun(const Card& below, const Card& c) {
    return c.rank + 1 == below.rank && c.red() != below.red();
}

// Whether card c may be put on pile dest (one that takes cards) whose top
// card is *top, or which is empty when top is null; the source run is known
// to be movable.
inline bool accepts(const Card& c, const Card* top, int dest) {
    if (isFoundation(dest)) return top ? top->suit == c.suit && top->rank + 1 == c.rank : c.rank == 1;
    return top ? top->up && followsInRun(*top, c) : c.rank == 13;
}

// Without the undo snapshot; the move is known to be legal.
inline void applyMove(State& s, int p, int i, int dest) {
    Pile& source = s.piles[p];
    Pile& target = s.piles[dest];
    target.insert(target.end(), source.begin() + i, source.end());
    source.erase(source.begin() + i, source.end());
    if (isFoundation(dest))
        s.score += 10;
    else if (isWaste(p))
        s.score += 5;
    else if (isFoundation(p))
        s.score -= 15;
    if (isColumn(p) && !source.empty() && !source.back().up) {
        source.back().up = true;
        s.score += 5;
    }
    if (s.score < 0) s.score = 0;
}

// Without the undo snapshot; stock and waste are known not both empty.
inline void applyDraw(State& s, int drawCount) {
    Pile& stock = s.piles[stockPile];
    Pile& waste = s.piles[wastePile];
    if (stock.empty()) {
        while (!waste.empty()) {
            Card c = waste.back();
            waste.pop_back();
            c.up = false;
            stock.push_back(c);
        }
        s.score -= 100;
        if (s.score < 0) s.score = 0;
        return;
    }
    for (int k = 0; k < drawCount && !stock.empty(); ++k) {
        Card c = stock.back();
        stock.pop_back();
        c.up = true;
        waste.push_back(c);
    }
}

inline bool allOnFoundations(const State& s) {
    const int f = firstFoundation;
    return s.piles[f].size() + s.piles[f + 1].size() + s.piles[f + 2].size() + s.piles[f + 3].size() == 52;
}

}  // namespace detail
}  // namespace sol
