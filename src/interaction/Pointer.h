// Pointer gestures: hit test, press, motion, release, drag and the menu.
#pragma once

#include <SDL.h>

extern bool dragging;
extern int mx, my;
extern int downX, downY;
extern int grabX, grabY;
extern int dragGap;

void hit(int x, int y, int& p, int& i);
void down(int x, int y, int clicks);
void up(int x, int y);
void motion(int x, int y, bool pressed);
SDL_Point draggedPosition(int relativeIndex);
void cancelDrag();
