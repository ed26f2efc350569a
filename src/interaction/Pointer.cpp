// PLACEHOLDER until the pointer gestures land.
#include "interaction/Pointer.h"

bool dragging = false;
int mx = 0, my = 0;
int downX = 0, downY = 0;
int grabX = 0, grabY = 0;
int dragGap = 25;

void hit(int, int, int& p, int& i) { p = -1; i = -1; }
void down(int, int, int) {}
void up(int, int) {}
void motion(int, int, bool) {}
SDL_Point draggedPosition(int) { return {0, 0}; }
void cancelDrag() {}
