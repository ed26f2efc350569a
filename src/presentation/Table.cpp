// Table geometry in logical units: where every pile and card lies.
#include "presentation/Table.h"

#include <algorithm>

#include "interaction/TableState.h"

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
