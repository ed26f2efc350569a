// Memory of long sessions, headless: the bytes one undo snapshot costs, the
// resident memory after a game of 100 000 actions, after the new game that
// gives its history back, and after 10 000 new games in the same process.
//
// Usage: bench_long_session [actions [games]]
#include <SDL.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "interaction/Actions.h"
#include "presentation/Graphics.h"
#include "presentation/GraphicsTesting.h"
#include "presentation/Scene.h"
#include "shell/Startup.h"
#include "support/Headless.h"
#include "support/Resident.h"

namespace {

size_t heapInUse() { return mallinfo2().uordblks; }

}  // namespace

int main(int argc, char** argv) {
    const int actions = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int games = argc > 2 ? std::atoi(argv[2]) : 10000;
    if (!startHeadless()) {
        std::fprintf(stderr, "headless start failed: %s\n", SDL_GetError());
        return 1;
    }
    seed = 9000;
    reset(false);
    render();
    std::printf("start:                     resident %6ld KiB\n", residentKiB());

    // One snapshot per draw: the stock and waste cycle for ever.
    const size_t heapBefore = heapInUse();
    const size_t historyBefore = game.history.size();
    for (int i = 0; i < actions; ++i) drawFromStock();
    const size_t snapshots = game.history.size() - historyBefore;
    const double perSnapshot = static_cast<double>(heapInUse() - heapBefore) / static_cast<double>(snapshots);
    std::printf("undo snapshot:             %.0f bytes each (%zu snapshots; sizeof(State) %zu)\n", perSnapshot,
                snapshots, sizeof(sol::State));
    render();
    std::printf("after %6d draws:         resident %6ld KiB, history %zu\n", actions, residentKiB(),
                game.history.size());

    reset(false);
    render();
    std::printf("after the next new game:   resident %6ld KiB, history capacity %zu\n", residentKiB(),
                game.history.capacity());

    std::mt19937 rng(1);
    for (int g = 0; g < games; ++g) {
        for (int i = 0; i < 20; ++i) drawFromStock();
        if (rng() % 4 == 0) undo();
        reset(false);
        if (g % 100 == 0) render();
    }
    render();
    std::printf("after %6d new games:     resident %6ld KiB, text cache %zu entries\n", games, residentKiB(),
                cachedTexts().size());
    shutDown();
    return 0;
}
