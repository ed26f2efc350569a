// Certificate steps played on a game, and the moves the rules allow, for the
// engine and application tests, the fuzz targets and the benchmarks. Engine
// types only, so that the engine tests need no SDL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/Solitaire.h"

// Whether a certificate step is a draw: it starts at the stock, pile 0.
inline bool drawsFromStock(const sol::Game::Step& step) { return step.source == 0; }

// Plays one step through `draw` or `move(source, index, destination)`;
// false when the move is refused.
template <typename Draw, typename Move>
bool playStep(const sol::Game::Step& step, Draw&& draw, Move&& move) {
    if (!drawsFromStock(step)) return move(step.source, step.index, step.destination);
    draw();
    return true;
}

// Plays one step on `game` itself.
inline bool playStep(sol::Game& game, const sol::Game::Step& step) {
    return playStep(
        step, [&] { game.draw(); }, [&](int p, int i, int d) { return game.move(p, i, d); });
}

// Replays the first `steps` steps of a certificate, all by default; false at
// the first refused move.
inline bool replay(sol::Game& game, const std::vector<sol::Game::Step>& path, size_t steps = SIZE_MAX) {
    for (size_t k = 0; k < path.size() && k < steps; ++k)
        if (!playStep(game, path[k])) return false;
    return true;
}

// Every move the rules allow now, tableau runs included, pile by pile.
inline std::vector<sol::Game::Step> legalMoves(const sol::Game& game) {
    std::vector<sol::Game::Step> moves;
    for (int p = 1; p <= 12; ++p)
        for (int i = 0; i < static_cast<int>(game.state.piles[p].size()); ++i)
            for (int d = 2; d <= 12; ++d)
                if (game.canMove(p, i, d)) moves.push_back({p, i, d});
    return moves;
}
