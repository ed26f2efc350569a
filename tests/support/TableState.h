// The table state at rest, for application tests: an empty game and every
// piece of state that input, the clock, the panels, the pointer, the sound
// switch and the victory animation keep between frames, each set back by its
// owner.
#pragma once

#include "interaction/Actions.h"
#include "interaction/ActionsTesting.h"
#include "interaction/Pointer.h"
#include "interaction/PointerTesting.h"
#include "presentation/Victory.h"
#include "sound/CardAudio.h"

// Empties the table, the history and the interaction state, so that a test
// can place exactly the cards it needs.
inline void clearTable() {
    clearTableState();
    resetPointer();
    cardAudio.enabled = true;
    clearWinAnimation();
}
