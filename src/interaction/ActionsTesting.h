// What the game actions keep to themselves, for the tests and benchmarks
// that set the table up by hand: the game clock's marks and the clock it
// runs on. Nothing of the program includes this but Actions.cpp.
#pragma once

#include <SDL.h>

// The game clock's marks in table ticks.
struct ClockMarks {
    Uint32 startTicks;  // the first recorded action; 0: the clock has not started
    Uint32 winTicks;    // the win; 0: not won
};
ClockMarks clockMarks();
void setClockMarks(ClockMarks marks);

// The table's clock in SDL ticks: `ticks` in place of SDL_GetTicks; null for
// SDL_GetTicks again.
void setTableTicks(Uint32 (*ticks)());

// The table state as a test starts from: an empty game with no history, no
// selection, the clock not started on SDL's ticks, not won, the panels
// closed and the loop running. The seed stays.
void clearTableState();
