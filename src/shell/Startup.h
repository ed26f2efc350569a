// Program entry pieces shared with tests: the window, the renderer, the
// command line, the start-up and shut-down order and the self-test.
#pragma once

#include <SDL.h>

extern SDL_Window* window;
extern SDL_Renderer* renderer;
extern bool rendererVsync;

extern const char* const zarnVersion;  // "0.0.0-9-g69fa6f5"

// Writes text as the whole content of path; true only when every byte landed
// and the file closed cleanly.
bool writeDeploymentLog(const char* path, const char* text);

// The whole program: command line, start-up, self-test or loop, shut-down.
int runZarn(int argc, char** argv);
