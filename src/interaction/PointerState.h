// The pointer's state as others see it: whether a drag is in progress, and
// where the dragged cards go. Written only by the pointer gestures
// (Pointer.cpp), which keep the pointer and press positions, the grab offset
// and the spacing of dragged cards to themselves (tests look in through
// PointerTesting.h); the scene draws the drag from it, the frame loop paces
// the drag by it and the actions end a drag through cancelDrag.
#pragma once

#include <SDL.h>

extern bool dragging;

// Where the dragged card relativeIndex places above the grabbed one is drawn.
SDL_Point draggedPosition(int relativeIndex);
// The drag ends and the mouse is released; the selection stays.
void cancelDrag();
