// The rules every reachable table keeps, for the engine tests, the
// application tests and the fuzz targets alike: the data model of a
// 52-card game, certificate replay, and the selection and drag state.
// Engine types only, so that the engine tests need no SDL.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/Solitaire.h"

namespace checks {

// Empty when the state keeps every invariant of a 52-card game, otherwise
// what is broken: each card once; stock face down; waste and foundations
// face up; a foundation one suit from the ace upwards; a column face-down
// cards under a face-up run of alternating colours, its top face up; score
// never below 0.
inline std::string invariantViolation(const sol::State& state) {
    std::set<int> seen;
    size_t total = 0;
    for (int p = 0; p < 13; ++p) {
        const sol::Pile& pile = state.piles[p];
        const std::string at = " on pile " + std::to_string(p);
        total += pile.size();
        for (size_t i = 0; i < pile.size(); ++i) {
            const sol::Card& c = pile[i];
            if (c.suit < 0 || c.suit > 3 || c.rank < 1 || c.rank > 13) return "card out of range" + at;
            if (!seen.insert(c.suit * 13 + c.rank).second) return "card twice" + at;
            if (p == 0 && c.up) return "stock card face up";
            if ((p >= 1 && p <= 5) && !c.up) return "face-down card" + at;
            if (p >= 2 && p <= 5) {
                if (c.rank != static_cast<int>(i) + 1) return "foundation out of order" + at;
                if (c.suit != pile[0].suit) return "foundation mixes suits" + at;
            }
            if (p >= 6 && i > 0) {
                const sol::Card& below = pile[i - 1];
                if (!c.up && below.up) return "face-down card above a face-up one" + at;
                if (c.up && below.up && (c.rank + 1 != below.rank || c.red() == below.red()))
                    return "face-up cards are no run" + at;
            }
        }
        if (p >= 6 && !pile.empty() && !pile.back().up) return "column top face down" + at;
    }
    if (total != 52 || seen.size() != 52)
        return std::to_string(total) + " cards, " + std::to_string(seen.size()) + " distinct";
    if (state.score < 0) return "negative score";
    return "";
}

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

// Empty when the selection and the drag agree with the table: nothing
// selected (-1), or a pile 1..12 and an index from which the engine lets
// the cards be picked up. A drag carries a selection, except that a draw or
// another press may drop the selection and leave the drag to its release:
// `droppedMidDrag` says whether such input came since the drag began.
inline std::string selectionViolation(const sol::Game& game, int selected, int indexSelected,
                                      bool dragging, bool droppedMidDrag) {
    const std::string what = "selection " + std::to_string(selected) + "/" + std::to_string(indexSelected);
    if (selected != -1 && (selected < 1 || selected > 12)) return what + ": no pile to pick up from";
    if (selected >= 1 && !game.sequence(selected, indexSelected)) return what + ": no movable run there";
    if (dragging && selected < 0 && !droppedMidDrag) return "a drag without a selection";
    return "";
}

}  // namespace checks
