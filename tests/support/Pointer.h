// Where the pointer goes to reach a card, for the application tests that
// press, drag and plan gestures in table units.
#pragma once

#include <SDL.h>

#include "interaction/TableState.h"
#include "presentation/Table.h"

// A point inside card i of pile p that no card above it covers.
inline int cardX(int p) { return px(p) + 40; }
inline int cardY(int p, int i) { return py(p, i) + 10; }

// Where a press picks up card i of pile p (and the run above it): inside its
// visible part, on the waste at its place in the fan.
inline SDL_Point grip(int p, int i) { return {px(p) + fanOffset(p, i) + 40, py(p, i) + 8}; }
