// Cost of a frame of the victory animation, early in the flight and late in
// it, when thousands of imprints lie on the table: a frame is the advance,
// the whole scene (with the trail) and the present, at 760 x 650 on SDL's
// offscreen driver. The late frame should cost about what the early one does,
// since each frame paints only its new imprints. For comparison, a frame that
// must repaint the whole trail (as after a resize) is timed as well.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "interaction/Actions.h"
#include "presentation/Graphics.h"
#include "presentation/Scene.h"
#include "presentation/Victory.h"
#include "presentation/VictoryTesting.h"
#include "shell/Startup.h"
#include "support/Headless.h"
#include "support/Tables.h"
#include "window/Window.h"

namespace {

double nowMs() {
    return 1000.0 * static_cast<double>(SDL_GetPerformanceCounter()) /
           static_cast<double>(SDL_GetPerformanceFrequency());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

}  // namespace

int main() {
    if (!startHeadless()) {
        std::fprintf(stderr, "bench_victory: no renderer: %s\n", SDL_GetError());
        return 1;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);

    game.state = wonTable();
    // Two flights of different seeds, so the figures do not rest on one.
    const int flights = 2;
    std::vector<double> early, late, repaint;
    size_t lateStamps = 0;
    for (int run = 0; run < flights; ++run) {
        seed = 20240601 + run;
        startWinAnimation(1);
        Uint32 tick = 1;
        render();
        while (winAnimating) {
            tick += 16;
            const double start = nowMs();
            advanceWinAnimation(tick);
            render();
            const double cost = nowMs() - start;
            // Early: the first cards are up, a few dozen imprints lie.
            const Uint32 step = winFlight().winStep;
            if (step >= 30 && step < 150) early.push_back(cost);
            if (winImprints().size() >= 3000 && winAnimating) {
                late.push_back(cost);
                lateStamps = std::max(lateStamps, winImprints().size());
            }
        }
        for (int i = 0; i < 5; ++i) {
            dropWinTrail();
            const double start = nowMs();
            render();
            repaint.push_back(nowMs() - start);
        }
        std::printf("flight %d: %u steps, %zu imprints\n", run + 1, static_cast<unsigned>(winFlight().winStep),
                    winImprints().size());
    }

    std::printf("renderer %s, frame buffer %d x %d\n", info.name, frameArea().w, frameArea().h);
    std::printf("early frame (steps 30-149):        %zu frames, median %.3f ms, mean %.3f ms\n", early.size(),
                median(early), mean(early));
    std::printf("late frame (3000+ imprints, <=%zu): %zu frames, median %.3f ms, mean %.3f ms\n", lateStamps,
                late.size(), median(late), mean(late));
    std::printf("late / early (median): %.2f\n", median(early) > 0 ? median(late) / median(early) : 0.0);
    std::printf("whole trail repainted (%zu imprints): median %.3f ms\n", winImprints().size(), median(repaint));

    clearWinAnimation();
    shutDown();
    return 0;
}
