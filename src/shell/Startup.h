// Start-up and shut-down in their fixed orders. The program, the headless
// tests and the benchmarks all start up through startUp.
#pragma once

#include <SDL.h>

#include "presentation/Table.h"

enum class Start {
    ready,
    failed,  // a step failed; what was made is left to the end of the process
    stopped  // `stopped` said so after a step; shutDown undoes what was made
};

// Start-up in its one order: the touch hints, a display that answers, SDL
// video, SDL_ttf, the hidden window and its renderer, the window hinted,
// fitted, shown and hinted, the fonts, the graphics, the sound when asked
// for (its device opens on a thread of its own), and the aspect hint once
// more; the card atlas is reduced meanwhile on a thread of its own. Each
// failure the program reports is logged as it does; `failed` on any failure
// but the sound's. `needsScreen` is the interactive game's, which cannot run
// without a display that shows its window; without it SDL may draw off
// screen. The window is made at `firstSize` before it is
// fitted: the table's size, but for a benchmark that later needs a larger
// drawing surface than SDL's offscreen driver can grow to. `stopped`, when
// given, is asked before the first step and after each: once it says so,
// start-up ends there, whatever became of the step.
Start startUp(bool needsScreen, bool sound, SDL_Point firstSize = {W, H}, bool (*stopped)() = nullptr);
// Sound, graphics, fonts, renderer, window, SDL_ttf and SDL, in this order;
// SDL's video alone in place of SDL when the sound thread was left stuck in
// the audio system.
void shutDown();
