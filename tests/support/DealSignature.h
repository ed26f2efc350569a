// One number over every deal and certificate of a range of seeds: any change
// in the shuffle, the search order or the construction changes it. The
// dealer test pins it for each of a fixed set of runs; bench_deal prints
// them folded into one, so a faster engine can be seen to deal the same
// games.
#pragma once

#include <cstdint>

#include "engine/Solitaire.h"

namespace checks {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;

inline uint64_t fnv(uint64_t h, uint32_t v) {
    for (int b = 0; b < 4; ++b) {
        h ^= (v >> (8 * b)) & 0xFF;
        h *= 1099511628211ull;
    }
    return h;
}

inline uint64_t dealSignature(int drawCount, uint32_t first, uint32_t count, uint32_t attempts) {
    uint64_t h = kFnvOffset;
    sol::Game game;
    game.drawCount = drawCount;
    for (uint32_t seed = first; seed < first + count; ++seed) {
        game.deal(seed, attempts);
        for (unsigned char byte : sol::Game::position(game.state)) h = fnv(h, byte);
        for (const sol::Game::Step& s : game.solution) {
            h = fnv(h, static_cast<uint32_t>(s.source));
            h = fnv(h, static_cast<uint32_t>(s.index));
            h = fnv(h, static_cast<uint32_t>(s.destination));
        }
        h = fnv(h, 0xFFFFFFFFu);
    }
    return h;
}

struct SignatureRun {
    int drawCount;
    uint32_t first, count, attempts;
};

// Shuffled deals (a few fall back to constructed ones) and constructed
// deals alone, with one card drawn and with three.
constexpr SignatureRun kSignatureRuns[] = {{1, 0, 300, 64}, {3, 0, 300, 64}, {1, 0, 100, 0}, {3, 0, 100, 0}};

inline uint64_t dealSignature(const SignatureRun& run) {
    return dealSignature(run.drawCount, run.first, run.count, run.attempts);
}

// The runs' signatures folded into one.
inline uint64_t dealerSignature() {
    uint64_t h = kFnvOffset;
    for (const SignatureRun& run : kSignatureRuns) {
        const uint64_t part = dealSignature(run);
        h = fnv(fnv(h, static_cast<uint32_t>(part)), static_cast<uint32_t>(part >> 32));
    }
    return h;
}

}  // namespace checks
