// PLACEHOLDER until the game actions land.
#include "interaction/Actions.h"

#include <ctime>

sol::Game game;
unsigned int seed = static_cast<unsigned int>(time(nullptr));
int selected = -1;
int indexSelected = -1;
Uint32 startTicks = 0;
Uint32 winTicks = 0;
bool running = true;
bool help = false;
bool menu = false;

Uint32 gameSeconds() { return 0; }
void reset(bool) {}
void changed() {}
bool moveCard(int, int, int) { return false; }
bool autoMoveCard(int, int) { return false; }
void drawFromStock() {}
void undo() {}
