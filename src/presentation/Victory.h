// The victory animation: the flight of the 52 cards and its painted trail.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <vector>

#include "engine/Solitaire.h"

struct FlyingCard {
    sol::Card card;
    float x, y;
    float vx, vy;
    bool launched;
    bool finished;
    FlyingCard() : launched(false), finished(false) {}
};

struct WinStamp {
    sol::Card card;
    int x, y;
};

extern std::vector<FlyingCard> flyingCards;
extern std::vector<WinStamp> winStamps;
extern bool winAnimating;
extern Uint32 winStep;
extern Uint32 winLastTick;
extern float winRemainder;
extern SDL_Texture* winTrail;
extern size_t paintedWinStamps;

void clearWinAnimation();
void startWinAnimation(Uint32 now);
void advanceWinAnimation(Uint32 now);
void renderWinTrail();
// Releases the trail texture; the next renderWinTrail repaints every imprint.
void dropWinTrail();
