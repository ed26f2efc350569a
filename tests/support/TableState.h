// The table state at rest, for application tests: an empty game and every
// piece of state that input, the clock, the panels, the pointer, the sound
// switch and the victory animation keep between frames.
#pragma once

#include "engine/Solitaire.h"
#include "interaction/Actions.h"
#include "interaction/Pointer.h"
#include "presentation/Victory.h"
#include "sound/CardAudio.h"

// Empties the table, the history and the interaction state, so that a test
// can place exactly the cards it needs.
inline void clearTable() {
    game = sol::Game();
    selected = -1;
    indexSelected = -1;
    startTicks = 0;
    winTicks = 0;
    help = false;
    menu = false;
    running = true;
    cancelDrag();
    mx = my = downX = downY = grabX = grabY = 0;
    dragGap = 25;
    cardAudio.enabled = true;
    clearWinAnimation();
    tableTicks = SDL_GetTicks;
}
