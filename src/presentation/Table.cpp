// Table geometry in logical units: where every pile and card lies.
#include "presentation/Table.h"

#include <algorithm>

#include "interaction/TableState.h"

int px(int p) {
    if (sol::isStock(p)) return 24;
    if (sol::isWaste(p)) return 126;
    if (sol::isFoundation(p)) return 330 + 102 * (p - sol::firstFoundation);
    return 24 + 102 * (p - sol::firstColumn);
}

int gap(int p) {
    int n = static_cast<int>(game.state.piles[p].size());
    return std::min(25, 300 / std::max(1, n - 1));
}

int py(int p, int i) { return sol::isColumn(p) ? 204 + i * gap(p) : 58; }

int fanOffset(int p, int i) {
    if (!sol::isWaste(p)) return 0;
    const int size = static_cast<int>(game.state.piles[p].size());
    const int firstFanned = size - std::min<int>(game.drawCount, size);
    return wasteStep * std::max(0, i - firstFanned);
}
