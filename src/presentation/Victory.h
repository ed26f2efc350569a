// The victory animation: the flight of the 52 cards and its painted trail.
// All of its state is written here (Victory.cpp), through the calls below:
// the game actions start and clear it, the frame loop advances it, Escape
// clears it and a new frame buffer drops the trail; the scene reads the cards
// in flight and paints the trail, the frame loop reads whether it runs. The
// rest of its state, the imprints, the steps and the trail, it keeps to
// itself (tests look in through VictoryTesting.h).
#pragma once

#include <SDL.h>

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
extern bool winAnimating;

void clearWinAnimation();
void startWinAnimation(Uint32 now);
void advanceWinAnimation(Uint32 now);
// Paints new imprints into the trail and lays it over the current render
// target, the frame buffer or a layer of the frame, which it leaves current.
void renderWinTrail();
// Releases the trail texture; the next renderWinTrail repaints every imprint.
void dropWinTrail();
// Changes whenever the imprints or the trail texture do: what was drawn
// from the trail is to be drawn again once this differs from what it was.
size_t winTrailVersion();
