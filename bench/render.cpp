// Prints the median and mean time of render() for a full table at 760 x 650
// and 1920 x 1080, on SDL's offscreen video driver with its GL renderer and
// with the software renderer.
// Usage: bench_render [frames [opengl|software]]
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "interaction/Actions.h"
#include "interaction/ActionsTesting.h"
#include "presentation/Graphics.h"
#include "presentation/Scene.h"
#include "shell/Startup.h"
#include "support/Headless.h"
#include "support/Replay.h"

namespace {

// CPU time of every thread of the process: the GL driver rasterises on threads
// of its own, and the machine may be shared.
double cpuMilliseconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// Half of a certified game played: long columns, cards on the foundations
// and a fanned waste.
void fullTable() {
    game.drawCount = 3;
    game.deal(42, 64);
    const std::vector<sol::Game::Step> path = game.solution;
    replay(game, path, path.size() / 2);
    setClockMarks({SDL_GetTicks(), 0});
}

bool measure(const char* driver, int width, int height, int frames) {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, driver);
    // The software renderer's window surface would otherwise be shown through
    // a GL texture on this driver; only the composition is measured.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, std::strcmp(driver, "software") == 0 ? "0" : "1");
    // The renderer makes the window's drawing surface at the window's first
    // size; the start-up fits it to the table's shape, so it is set again.
    if (!startHeadless({width, height})) {
        std::fprintf(stderr, "%s: %s\n", driver, SDL_GetError());
        return false;
    }
    SDL_SetWindowSize(window, width, height);
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    fullTable();
    for (int i = 0; i < 20; ++i) render();

    std::vector<double> times;
    SDL_Rect onePixel = {380, 325, 1, 1};
    Uint32 pixel = 0;
    Uint64 frequency = SDL_GetPerformanceFrequency();
    double cpuBegin = cpuMilliseconds();
    Uint64 begin = SDL_GetPerformanceCounter();
    for (int i = 0; i < frames; ++i) {
        Uint64 t0 = SDL_GetPerformanceCounter();
        render();
        // A GL driver may still be drawing when render() returns; reading one
        // pixel back waits until the frame is really done.
        SDL_RenderReadPixels(renderer, &onePixel, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
        times.push_back(1000.0 * (SDL_GetPerformanceCounter() - t0) / frequency);
    }
    double total = 1000.0 * (SDL_GetPerformanceCounter() - begin) / frequency;
    double cpu = cpuMilliseconds() - cpuBegin;
    std::sort(times.begin(), times.end());
    std::printf("%-9s %4dx%-4d  frame buffer %4dx%-4d  median %6.2f ms  mean %6.2f ms  p90 %6.2f ms  cpu %6.2f ms\n",
                info.name, width, height, frameArea().w, frameArea().h, times[times.size() / 2], total / frames,
                times[times.size() * 9 / 10], cpu / frames);
    shutDown();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 200;
    if (frames < 1) frames = 200;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    int failures = 0;
    for (const char* driver : {"opengl", "software"}) {
        if (argc > 2 && std::strcmp(argv[2], driver) != 0) continue;
        for (auto size : {std::make_pair(760, 650), std::make_pair(1920, 1080)})
            failures += !measure(driver, size.first, size.second, frames);
    }
    return failures == 0 ? 0 : 1;
}
