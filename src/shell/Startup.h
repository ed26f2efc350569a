// Program entry pieces shared with tests: the window, the renderer, the
// command line, the start-up and shut-down order and the self-test.
#pragma once

#include <SDL.h>

extern SDL_Window* window;
extern SDL_Renderer* renderer;
extern bool rendererVsync;

extern const char* const zarnVersion;  // "0.0.0-9-g69fa6f5"

// Writes text as the whole content of path; true only when every byte landed
// and the file closed cleanly. A failed write leaves no partial text and
// removes nothing but the scratch file it made itself.
bool writeDeploymentLog(const char* path, const char* text);

// Start-up steps in the order the program runs them; each logs its own
// failure message where the program has one and returns false on failure.
bool createWindow();    // hidden, resizable, centred 760 x 650 window, its icon
bool createRenderer();  // accelerated with vsync, else software; logical size
bool openFonts();       // `font` and `large` from the embedded bytes
void shutDown();        // sound, graphics, fonts, renderer, window, TTF, SDL

// The whole program: command line, start-up, self-test or loop, shut-down.
int runZarn(int argc, char** argv);
