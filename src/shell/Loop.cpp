// The main loop's pacing: the pause after each frame step, the vsync that
// paces a drag or the wait that stands in for it, and the rest when there is
// nothing to do, on the way putting the sound device to rest.
#include "shell/Loop.h"

#include <SDL.h>

#include <algorithm>
#include <ctime>

#include "interaction/PointerState.h"
#include "interaction/TableState.h"
#include "presentation/Graphics.h"
#include "shell/Frame.h"
#include "sound/CardAudio.h"
#include "window/Window.h"

namespace {

// Drag frames in a row, each under 3/4 of a refresh after the one before,
// that prove presents do not wait: a few may be quick even with vsync, while
// the driver queues frames ahead.
const int quickFramesToTell = 8;
const Uint32 workPauseMs = 8;  // after a frame step that drew
// The share of one core that drag frames may take where presents do not
// pace them.
const double dragCoreShare = 0.5;

// The sooner of two waits in milliseconds, where -1 is no end.
int earliest(int a, int b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return a < b ? a : b;
}

// CPU time of all the process's threads: software GL draws on several.
double cpuMs() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace

void PresentPacing::backToBack(double ms) {
    if (!vsync || broken) return;
    quickFrames = ms < refreshMs * 3 / 4 ? quickFrames + 1 : 0;
    if (quickFrames >= quickFramesToTell) broken = true;
}

double PresentPacing::dragPauseMs(double frameMs, double sinceMs, double cpuMs) const {
    const double refresh = presentsWait() ? 0.0 : refreshMs - frameMs;
    return std::max({0.0, refresh, cpuMs / dragCoreShare - sinceMs});
}

void runFrames() {
    PresentPacing pacing;
    pacing.vsync = rendererHasVsync();
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0)
        pacing.refreshMs = 1000.0 / mode.refresh_rate;
    const double ticksPerMs = static_cast<double>(SDL_GetPerformanceFrequency()) / 1000.0;
    Uint64 lastDragFrameEnd = 0;
    // Since the pause after the last drag frame: everything the drag cost,
    // frame steps that drew nothing and the event handling between included.
    Uint64 sinceBegin = 0;
    double sinceCpu = 0;
    while (running) {
        const Uint64 begin = SDL_GetPerformanceCounter();
        if (!dragging) {
            sinceBegin = begin;
            sinceCpu = cpuMs();
        }
        frame();
        const Uint64 end = SDL_GetPerformanceCounter();
        if (dragging && lastFrameDrew()) {
            if (lastDragFrameEnd != 0) pacing.backToBack(static_cast<double>(end - lastDragFrameEnd) / ticksPerMs);
            lastDragFrameEnd = end;
            const double pause =
                pacing.dragPauseMs(static_cast<double>(end - begin) / ticksPerMs,
                                   static_cast<double>(end - sinceBegin) / ticksPerMs, cpuMs() - sinceCpu);
            if (pause >= 1) SDL_Delay(static_cast<Uint32>(pause));
            sinceBegin = SDL_GetPerformanceCounter();
            sinceCpu = cpuMs();
        } else if (lastFrameDrew()) {
            SDL_Delay(workPauseMs);
        } else {
            // Nothing to do: no wake-up until there is, but for the clock's
            // next second and for putting the sound device to rest.
            int audio = cardAudio.msToRest(SDL_GetTicks());
            if (audio == 0) {
                cardAudio.rest();
                audio = -1;
            }
            SDL_WaitEventTimeout(nullptr, earliest(msToNextSecond(), audio));
        }
    }
}
