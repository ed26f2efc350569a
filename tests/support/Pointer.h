// Where the pointer goes to reach a card, for the application tests that
// press, drag and plan gestures in table units.
#pragma once

#include <SDL.h>

#include <algorithm>

#include "interaction/TableState.h"
#include "presentation/Table.h"

// A point inside card i of pile p that no card above it covers.
inline int cardX(int p) { return px(p) + 40; }
inline int cardY(int p, int i) { return py(p, i) + 10; }

// Where a press picks up card i of pile p (and the run above it): inside its
// visible part, on the waste's fanned top card.
inline SDL_Point grip(int p, int i) {
    const int n = static_cast<int>(game.state.piles[p].size());
    int x = px(p) + 40;
    if (p == 1) x += wasteStep * (std::min(game.drawCount, n) - 1);
    return {x, (p > 5 ? py(p, i) : py(p, 0)) + 8};
}
