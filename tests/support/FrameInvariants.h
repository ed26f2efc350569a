// What every frame step leaves behind, whatever input it took: the one check
// of the frame monkey and the frame fuzz target. The table keeps the
// engine's invariants (support/Invariants.h), the selection is one the
// engine lets be picked up, the flags hold true or false, and the clock and
// win marks agree with the engine. No test framework, so that the fuzz
// target can use it.
#pragma once

#include <SDL.h>

#include <cstring>
#include <string>

#include "interaction/ActionsTesting.h"
#include "interaction/PointerState.h"
#include "interaction/TableState.h"
#include "support/Invariants.h"

namespace checks {

// Whether the event may drop the selection of a running drag and leave the
// drag to its release: a left press of the mouse (not one made from touch),
// a finger put down, or Space, which draws.
inline bool dropsSelection(const SDL_Event& e) {
    return e.type == SDL_FINGERDOWN || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_SPACE) ||
           (e.type == SDL_MOUSEBUTTONDOWN && e.button.which != SDL_TOUCH_MOUSEID && e.button.button == SDL_BUTTON_LEFT);
}

// A bool whose byte is neither 0 nor 1 was written through a wrong type.
inline bool isBool(const bool& b) {
    unsigned char raw;
    std::memcpy(&raw, &b, 1);
    return raw <= 1;
}

// Empty when the state after a frame keeps every rule, otherwise what is
// broken. `droppedMidDrag`: input that dropsSelection came since the last
// frame that ended without a drag.
inline std::string frameViolation(bool droppedMidDrag) {
    std::string broken = invariantViolation(game.state);
    if (broken.empty()) broken = selectionViolation(game, selected, indexSelected, dragging, droppedMidDrag);
    if (broken.empty() && !(isBool(help) && isBool(menu) && isBool(running) && isBool(dragging)))
        broken = "a flag that is no bool";
    const ClockMarks marks = clockMarks();
    if (broken.empty() && (marks.winTicks != 0) != game.won()) broken = "win mark and table disagree";
    if (broken.empty() && (marks.startTicks != 0) != game.state.started) broken = "clock mark and table disagree";
    return broken;
}

}  // namespace checks
