// Pointer gestures: the hit test, press, motion and release, for mouse and
// fingers alike, in table units; the top bar and the game menu.
#pragma once

#include "interaction/PointerState.h"

// The pile p and card index i under the point, -1 for none (i is also -1 on
// an empty pile).
void hit(int x, int y, int& p, int& i);
void down(int x, int y, int clicks);
void up(int x, int y);
void motion(int x, int y, bool pressed);
