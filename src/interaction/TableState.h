// The table state: the game, the seed it was dealt from, the selection and
// the running, help and menu flags. Defined with the game actions
// (Actions.cpp), which write all of it; the pointer gestures (Pointer.cpp)
// also select and switch `help` and `menu`. Everything else reads it. The
// game clock's marks the actions keep to themselves; others read the clock
// through the calls below (tests look in through ActionsTesting.h).
#pragma once

#include <SDL.h>

#include "engine/Solitaire.h"

extern sol::Game game;
extern unsigned int seed;  // the seed the game was dealt from
extern int selected;       // pile of the selection, -1 for none
extern int indexSelected;  // lowest selected card of that pile
extern bool running;       // the main loop goes on
extern bool help;          // the help panel is shown
extern bool menu;          // the game menu is open

// The table's clock in SDL ticks (a test may stand in its own): the game
// clock and the victory flight run on it.
Uint32 tableNow();
// Whole seconds shown by the game clock.
Uint32 gameSeconds();
// Milliseconds until the clock shows its next second; -1 while it stands
// still (not started, or won).
int msToNextSecond();
