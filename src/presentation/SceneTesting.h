// What the scene keeps to itself, for the tests that hold its frames against
// whole compositions. Nothing of the program includes this but Scene.cpp.
#pragma once

#include <SDL.h>

// The whole scene composed into `target`, a render target of the frame
// buffer's kind, as the first frame draws it; what the scene keeps of its
// frames stays as it was.
void composeWhole(SDL_Texture* target);
