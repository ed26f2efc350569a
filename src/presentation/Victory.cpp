// PLACEHOLDER until the victory animation lands.
#include "presentation/Victory.h"

std::vector<FlyingCard> flyingCards;
std::vector<WinStamp> winStamps;
bool winAnimating = false;
Uint32 winStep = 0;
Uint32 winLastTick = 0;
float winRemainder = 0;
SDL_Texture* winTrail = nullptr;
size_t paintedWinStamps = 0;

void clearWinAnimation() {}
void startWinAnimation(Uint32) {}
void advanceWinAnimation(Uint32) {}
void renderWinTrail() {}
void dropWinTrail() {}
