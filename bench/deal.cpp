// Prints the latency of deal(seed, 64) over consecutive seeds for both draw
// counts: median, p99 and max in microseconds, the share of seeds that fell
// back to the constructed deal, and the mean certificate length. Last the
// dealer's signature over a fixed set of seeds, whatever the arguments.
// Usage: bench_deal [first-seed [count]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/Solitaire.h"
#include "../tests/support/DealSignature.h"

namespace {

// A constructed deal leaves exactly the lowest ranks of every suit in the
// stock; a shuffled deal does so with negligible probability.
bool constructed(const sol::Game& game) {
    int highest[4] = {0, 0, 0, 0};
    int count[4] = {0, 0, 0, 0};
    for (const sol::Card& c : game.state.piles[0]) {
        highest[c.suit] = std::max(highest[c.suit], c.rank);
        ++count[c.suit];
    }
    for (int s = 0; s < 4; ++s)
        if (highest[s] != count[s]) return false;
    return true;
}

// The line of one draw count: deal(seed, 64) over `count` seeds from `first`.
void printLatencies(unsigned first, unsigned count, int drawCount) {
    sol::Game game;
    game.drawCount = drawCount;
    std::vector<double> micros;
    micros.reserve(count);
    unsigned fallbacks = 0;
    double steps = 0;
    for (unsigned k = 0; k < count; ++k) {
        auto start = std::chrono::steady_clock::now();
        game.deal(first + k, 64);
        auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        fallbacks += constructed(game);
        steps += static_cast<double>(game.solution.size());
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    std::printf(
        "draw %d: median %.0f us  p99 %.0f us  max %.0f us  constructed %.2f %%  "
        "mean certificate %.1f steps\n",
        drawCount, median, p99, micros.back(), 100.0 * fallbacks / count, steps / count);
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned first = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 1;
    const unsigned count = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 2000;
    if (count > 0) {
        std::printf("deal(seed, 64) over seeds %u..%u\n", first, first + count - 1);
        for (int drawCount : {1, 3}) printLatencies(first, count, drawCount);
    }
    std::printf("signature: 0x%016llx\n", static_cast<unsigned long long>(checks::dealerSignature()));
    return 0;
}
