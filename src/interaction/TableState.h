// The table state: the game, the seed it was dealt from, the selection, the
// clock marks and the running, help and menu flags. Defined with the game
// actions (Actions.cpp), which write all of it; the pointer's top bar and
// menu (Pointer.cpp) also switch `help` and `menu`. Everything else reads it.
#pragma once

#include <SDL.h>

#include "engine/Solitaire.h"

extern sol::Game game;
extern unsigned int seed;  // the seed the game was dealt from
extern int selected;       // pile of the selection, -1 for none
extern int indexSelected;  // lowest selected card of that pile
extern Uint32 startTicks;  // 0: clock not started
extern Uint32 winTicks;    // 0: not won
extern bool running;       // the main loop goes on
extern bool help;          // the help panel is shown
extern bool menu;          // the game menu is open

// The table's clock in SDL ticks: SDL_GetTicks, unless a test stands in a
// clock of its own.
extern Uint32 (*tableTicks)();

// Whole seconds shown by the game clock.
Uint32 gameSeconds();
// Milliseconds until the clock shows its next second; -1 while it stands
// still (not started, or won).
int msToNextSecond();
