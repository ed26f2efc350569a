// PLACEHOLDER until window fitting lands.
#include "window/Window.h"

int fittedWidth = 760, fittedHeight = 650;
SDL_Rect windowedBounds = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 760, 650};

void setWindowAspectHint() {}
void fitWindowToField() {}
void toggleFullscreen() {}
