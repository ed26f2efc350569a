// What the pointer gestures keep to themselves, for the tests that look into
// them or lay a drag out by hand. Nothing of the program includes this but
// Pointer.cpp.
#pragma once

#include <SDL.h>

struct PointerPlaces {
    int mx, my;        // last known pointer position
    int downX, downY;  // position of the last press
    int grabX, grabY;  // press that made the selection, relative to its card
    int dragGap;       // vertical distance between dragged cards
};
PointerPlaces pointerPlaces();

// The pointer at rest: no drag, the mouse released, every position 0 and
// the dragged cards spaced as on a short column.
void resetPointer();
// A drag in progress, as the gestures leave one: the pointer at `pointer`,
// holding the selection `grab` away from its card's corner, the cards `gap`
// apart. The press and the selection stay as they are.
void holdDrag(SDL_Point pointer, SDL_Point grab, int gap);
