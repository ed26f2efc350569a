// What the victory animation keeps to itself, for the tests and the
// benchmark that look into it or lay a flight out by hand. Nothing of the
// program includes this but Victory.cpp.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <vector>

#include "presentation/Victory.h"

// The flight's progress and its trail as they stand.
struct WinFlight {
    Uint32 winStep;           // fixed 1/60 s steps since the launch
    Uint32 winLastTick;       // the tick of the last advance
    float winRemainder;       // seconds not yet stepped
    SDL_Texture* winTrail;    // the painted trail, null until painted and after a drop
    size_t paintedWinStamps;  // imprints painted into it
};
WinFlight winFlight();

// The imprints the flight has left, oldest first.
const std::vector<WinStamp>& winImprints();
// The imprints as given, in place of those there; the painted trail stays.
void setWinImprints(std::vector<WinStamp> imprints);
// The cards in flyingCards fly on from step `step`, last advanced at
// `lastTick`.
void resumeWinFlight(Uint32 step, Uint32 lastTick);
// The trail is painted into `target` from its first imprint on: a cleared,
// blended texture of the test's own, destroyed as the trail is.
void paintWinTrailInto(SDL_Texture* target);
