// The rules every reachable table keeps, for the engine tests, the
// application tests and the fuzz targets alike: the data model of a
// 52-card game, and the selection and drag state. The one check of them:
// support/ValidTable.h reports it as a test assertion. Engine types only, so
// that the engine tests need no SDL.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Solitaire.h"

namespace checks {

// Empty when the state keeps every invariant of a 52-card game, otherwise
// what is broken: each card once; stock face down; waste and foundations
// face up; a foundation one suit from the ace upwards; a column face-down
// cards under a face-up run of alternating colours, its top face up; score
// never below 0.
inline std::string invariantViolation(const sol::State& state) {
    // Checked after every call of a fuzzed game: nothing is allocated unless
    // a rule is broken.
    uint64_t seen = 0;
    size_t total = 0;
    for (int p = 0; p < 13; ++p) {
        const sol::Pile& pile = state.piles[p];
        auto on = [p](const char* what) { return std::string(what) + " on pile " + std::to_string(p); };
        total += pile.size();
        for (size_t i = 0; i < pile.size(); ++i) {
            const sol::Card& c = pile[i];
            if (c.suit < 0 || c.suit > 3 || c.rank < 1 || c.rank > 13) return on("card out of range");
            const uint64_t bit = uint64_t(1) << (c.suit * 13 + c.rank - 1);
            if (seen & bit) return on("card twice");
            seen |= bit;
            if (p == 0 && c.up) return "stock card face up";
            if ((p >= 1 && p <= 5) && !c.up) return on("face-down card");
            if (p >= 2 && p <= 5) {
                if (c.rank != static_cast<int>(i) + 1) return on("foundation out of order");
                if (c.suit != pile[0].suit) return on("foundation mixes suits");
            }
            if (p >= 6 && i > 0) {
                const sol::Card& below = pile[i - 1];
                if (!c.up && below.up) return on("face-down card above a face-up one");
                if (c.up && below.up && (c.rank + 1 != below.rank || c.red() == below.red()))
                    return on("face-up cards are no run");
            }
        }
        if (p >= 6 && !pile.empty() && !pile.back().up) return on("column top face down");
    }
    if (total != 52) return std::to_string(total) + " cards";
    if (state.score < 0) return "negative score";
    return "";
}

// Empty when the selection and the drag agree with the table: nothing
// selected (-1), or a pile 1..12 and an index from which the engine lets
// the cards be picked up. A drag carries a selection, except that a draw or
// another press may drop the selection and leave the drag to its release:
// `droppedMidDrag` says whether such input came since the drag began.
inline std::string selectionViolation(const sol::Game& game, int selected, int indexSelected, bool dragging,
                                      bool droppedMidDrag) {
    const std::string what = "selection " + std::to_string(selected) + "/" + std::to_string(indexSelected);
    if (selected != -1 && (selected < 1 || selected > 12)) return what + ": no pile to pick up from";
    if (selected >= 1 && !game.sequence(selected, indexSelected)) return what + ": no movable run there";
    if (dragging && selected < 0 && !droppedMidDrag) return "a drag without a selection";
    return "";
}

}  // namespace checks
