// Table geometry in logical units and the drawing of one card from the atlas.
#include "presentation/Table.h"

#include <algorithm>

#include "interaction/TableState.h"
#include "presentation/Graphics.h"

namespace {

const int backRow = 4;
const SDL_Color gold = {255, 210, 0, 255};

}  // namespace

int px(int p) {
    if (p == 0) return 24;
    if (p == 1) return 126;
    if (p <= 5) return 330 + 102 * (p - 2);
    return 24 + 102 * (p - 6);
}

int gap(int p) {
    int n = static_cast<int>(game.state.piles[p].size());
    return std::min(25, 300 / std::max(1, n - 1));
}

int py(int p, int i) { return p <= 5 ? 58 : 204 + i * gap(p); }

void card(sol::Card c, int x, int y, bool sel) {
    int column = c.up ? c.rank - 1 : 0;
    int row = c.up ? c.suit : backRow;
    SDL_Rect destination = {x, y, CW, CH};
    SDL_Rect slot = {column * cardSlotWidth, row * cardSlotHeight, cardSlotWidth, cardSlotHeight};
    SDL_RenderCopy(renderer, cardAtlas, &slot, &destination);
    if (!sel) return;
    outline(x, y, CW, CH, gold);
    outline(x + 1, y + 1, CW - 2, CH - 2, gold);
}
