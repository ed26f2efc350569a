// The pointer's state: the drag flag, the pointer and press positions, the
// grab offset and the spacing of dragged cards. Written only by the pointer
// gestures (Pointer.cpp); the scene draws the drag from it and the actions
// end a drag through cancelDrag.
#pragma once

#include <SDL.h>

extern bool dragging;
extern int mx, my;        // last known pointer position
extern int downX, downY;  // position of the last press
extern int grabX, grabY;  // press that made the selection, relative to its card
extern int dragGap;       // vertical distance between dragged cards

// Where the dragged card relativeIndex places above the grabbed one is drawn.
SDL_Point draggedPosition(int relativeIndex);
// The drag ends and the mouse is released; the selection stays.
void cancelDrag();
