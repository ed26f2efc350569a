// PLACEHOLDER until the program entry lands.
#include "shell/Startup.h"

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
bool rendererVsync = false;
const char* const zarnVersion = "0.0.0-9-g69fa6f5";

bool createWindow() { return false; }
bool createRenderer() { return false; }
bool openFonts() { return false; }
void shutDown() {}
bool writeDeploymentLog(const char*, const char*) { return false; }
int runZarn(int, char**) { return 1; }
