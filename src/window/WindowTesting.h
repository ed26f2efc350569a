// What the window fitting keeps to itself between calls, for the window
// tests. Nothing of the program includes this but Window.cpp.
#pragma once

#include <SDL.h>

struct WindowFitting {
    int fittedWidth, fittedHeight;  // the client size the last fitting gave
    SDL_Rect windowedBounds;        // the window's place and size before full screen
};
WindowFitting windowFitting();
// The fitting goes on as if it had last given the window width x height.
void setFittedSize(int width, int height);
