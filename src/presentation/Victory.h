// The victory animation: the flight of the 52 cards and its painted trail.
// All of its state is written here (Victory.cpp), through the calls below:
// the game actions start and clear it, the frame loop advances it and
// Escape clears it; the scene reads the cards in flight and the trail.
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
