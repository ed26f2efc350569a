// The game actions every input goes through: new game, replay, move, send to
// a foundation, draw, undo, and the small switches of the table state. They
// keep the selection, the clock, the win and the sounds in step with the
// engine.
#pragma once

#include "interaction/TableState.h"

// Deals a new game from the next seed, or the same deal again when `same`.
void reset(bool same);
// The bookkeeping after every change: starts the clock on the first recorded
// action, registers a win once and keeps the history's longest length for
// the next deal. Calling it again changes nothing.
void changed();
bool moveCard(int from, int index, int to);
bool autoMoveCard(int from, int index);
void drawFromStock();
void undo();

// One card a draw becomes three and three one; a new game is dealt.
void switchDrawCount();
// The selection and any drag are dropped.
void dropSelection();
// The help panel and the menu close.
void closeOverlays();
void toggleHelp();
// The main loop ends after this frame.
void quit();
