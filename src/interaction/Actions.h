// The table state and the game actions every input goes through: new game,
// replay, move, send to a foundation, draw, undo, and the clock and win.
#pragma once

#include <SDL.h>

#include "engine/Solitaire.h"

extern sol::Game game;
extern unsigned int seed;
extern int selected;       // pile of the selection, -1 for none
extern int indexSelected;  // lowest selected card of that pile
extern Uint32 startTicks;  // 0: clock not started
extern Uint32 winTicks;    // 0: not won
extern bool running;
extern bool help;
extern bool menu;

// The table's clock in SDL ticks: SDL_GetTicks, unless a test stands in a
// clock of its own.
extern Uint32 (*tableTicks)();

// Whole seconds shown by the game clock.
Uint32 gameSeconds();
// Milliseconds until the clock shows its next second; -1 while it stands
// still (not started, or won).
int msToNextSecond();

void reset(bool same);
void changed();
bool moveCard(int from, int index, int to);
bool autoMoveCard(int from, int index);
void drawFromStock();
void undo();
