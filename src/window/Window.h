// Window management: the aspect-ratio hint, fitting the window to the
// table's shape and the usable screen area, and desktop full screen.
#pragma once

#include <SDL.h>

extern int fittedWidth, fittedHeight;
extern SDL_Rect windowedBounds;

void setWindowAspectHint();
void fitWindowToField();
void toggleFullscreen();
