// The engine under arbitrary calls: the input picks deals, draws, moves
// (any pile and index, or one the rules allow), sends to a foundation,
// queries, searches and undos.
// After every call the table keeps the data model's invariants, a refused
// call changes nothing, a recorded one adds exactly one snapshot, a search
// leaves the game alone and its certificate wins on a copy, and undo walks
// back through our own record of every position.
#include <cstdint>
#include <string>
#include <vector>

#include "Bytes.h"
#include "engine/Solitaire.h"
#include "support/Invariants.h"
#include "support/Replay.h"

namespace {

// A deal may try up to 64 shuffles, each with a full search: a few per input
// keep an input fast. Searches on their own likewise.
const int maxDeals = 3;
const int maxSearches = 4;
const int maxCalls = 400;

struct Session {
    sol::Game game;
    std::vector<sol::State> positions;   // the dealt one, then one per recorded action
    std::vector<sol::Game::Step> dealt;  // the certificate as dealt
    int deals = 0, searches = 0;

    void check(const char* call) const {
        const std::string broken = checks::invariantViolation(game.state);
        if (!broken.empty()) fail(call, broken.c_str());
        if (game.history.size() + 1 != positions.size()) fail(call, "history and record differ in length");
        if (!game.history.empty() && game.history.back() != positions[positions.size() - 2])
            fail(call, "latest snapshot differs from the record");
        if (game.solution != dealt) fail(call, "certificate changed outside a deal");
        if (game.drawCount != 1 && game.drawCount != 3) fail(call, "draw count");
        if (sol::Game::position(game.state).size() != 65) fail(call, "position key length");
    }

    // `certificate` wins when replayed on a copy of `from`, every step legal.
    static void wins(const sol::Game& from, const std::vector<sol::Game::Step>& certificate, const char* call) {
        sol::Game copy = from;
        if (!replay(copy, certificate)) fail(call, "certificate has a refused move");
        if (!copy.won()) fail(call, "certificate does not win");
        const std::string broken = checks::invariantViolation(copy.state);
        if (!broken.empty()) fail(call, broken.c_str());
    }

    void deal(uint32_t seed, uint32_t attempts) {
        ++deals;
        game.deal(seed, attempts);
        if (!game.history.empty() || game.state.started || game.state.score != 0) fail("deal", "not a fresh game");
        positions.assign(1, game.state);
        dealt = game.solution;
        wins(game, game.solution, "deal");
        check("deal");
    }

    // What a call did against what it should have: `recorded` says whether
    // it should have made one undo step, else it must have changed nothing.
    void outcome(const char* call, const sol::State& before, bool recorded) {
        if (!recorded) {
            if (game.state != before || game.history.size() + 1 != positions.size())
                fail(call, "a refused call changed the game");
        } else {
            if (game.history.size() != positions.size()) fail(call, "not exactly one snapshot");
            if (game.history.back() != before) fail(call, "snapshot is not the position before");
            if (!game.state.started) fail(call, "recorded without starting");
            positions.push_back(game.state);
        }
        check(call);
    }

    bool anyFoundationTakes(int p, int i) const {
        for (int d = 2; d <= 5; ++d)
            if (game.canMove(p, i, d)) return true;
        return false;
    }

    void move(int p, int i, int d) {
        const sol::State before = game.state;
        const bool allowed = game.canMove(p, i, d);
        if (allowed && !game.sequence(p, i)) fail("canMove", "allowed a run that sequence refuses");
        if (game.move(p, i, d) != allowed) fail("move", "result differs from canMove");
        outcome("move", before, allowed);
    }

    void autoMove(int p, int i) {
        const sol::State before = game.state;
        const bool allowed = anyFoundationTakes(p, i);
        if (game.autoMove(p, i) != allowed) fail("autoMove", "result differs from canMove");
        outcome("autoMove", before, allowed);
    }

    void draw() {
        const sol::State before = game.state;
        const bool any = !before.piles[0].empty() || !before.piles[1].empty();
        game.draw();
        outcome("draw", before, any);
    }

    void undo() {
        const sol::State before = game.state;
        const bool undone = game.undo();
        if (undone != (positions.size() > 1)) fail("undo", "result differs from the record");
        if (undone) {
            positions.pop_back();
            if (game.state != positions.back()) fail("undo", "not the position before the last action");
        } else if (game.state != before) {
            fail("undo", "nothing to undo, yet the game changed");
        }
        check("undo");
    }

    void search(bool foundationsOnly) {
        ++searches;
        const sol::Game before = game;
        std::vector<sol::Game::Step> path = {{5, 5, 5}};  // must be replaced either way
        const bool found = game.findSolution(path, foundationsOnly);
        if (game.state != before.state || game.history.size() != before.history.size() ||
            game.solution != before.solution || game.drawCount != before.drawCount)
            fail("findSolution", "changed the game");
        if (found)
            wins(game, path, "findSolution");
        else if (!path.empty())
            fail("findSolution", "a failed search left a path");
        check("findSolution");
    }

    // A real run of a real pile, so that play gets somewhere.
    void plausible(Bytes& in, int& p, int& i) {
        p = 1 + in.below(12);
        const int size = static_cast<int>(game.state.piles[p].size());
        i = size == 0 ? 0 : (in.flag() ? size - 1 : in.below(size < 256 ? size : 256));
    }

    // One of the moves the rules allow now, by number, or a draw when none.
    void legalMove(Bytes& in) {
        const std::vector<sol::Game::Step> legal = legalMoves(game);
        if (legal.empty()) {
            draw();
            return;
        }
        const sol::Game::Step& s = legal[in.u16() % legal.size()];
        move(s.source, s.index, s.destination);
    }

    void step(Bytes& in) {
        switch (in.below(13)) {
        case 0:
        case 1:
            draw();
            break;
        case 2:
            undo();
            break;
        case 3: {
            const int p = in.anyInt(), i = in.anyInt(), d = in.anyInt();
            move(p, i, d);
            break;
        }
        case 4: {
            int p, i;
            plausible(in, p, i);
            move(p, i, 2 + in.below(11));
            break;
        }
        case 5: {
            const int p = in.anyInt(), i = in.anyInt();
            autoMove(p, i);
            break;
        }
        case 6: {
            int p, i;
            plausible(in, p, i);
            autoMove(p, i);
            break;
        }
        case 7: {  // queries: const, and consistent with each other
            const int p = in.anyInt(), i = in.anyInt(), d = in.anyInt();
            const bool run = game.sequence(p, i);
            if (game.canMove(p, i, d) && (!run || d < 2 || d > 12 || d == p))
                fail("canMove", "allowed a move sequence or the piles refuse");
            if (run && (p < 1 || p > 12 || i < 0)) fail("sequence", "a run outside the piles");
            break;
        }
        case 8:
            if (searches < maxSearches) search(in.flag());
            break;
        case 9:  // the draw count changes nothing until the next draw or deal
            game.drawCount = in.flag() ? 3 : 1;
            check("drawCount");
            break;
        case 10: {
            if (deals >= maxDeals) break;
            const uint32_t seed = in.u32();
            uint32_t attempts = in.u32();
            // Mostly few shuffles, often none: the constructed deal.
            if (in.below(4) != 0) attempts %= 3;
            deal(seed, attempts);
            break;
        }
        case 12:
            legalMove(in);
            break;
        default: {  // the first step of the dealt certificate that still applies
            for (const sol::Game::Step& s : game.solution)
                if (!drawsFromStock(s) && game.canMove(s.source, s.index, s.destination)) {
                    move(s.source, s.index, s.destination);
                    return;
                }
            draw();
            break;
        }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in(data, size);
    Session session;
    session.game.drawCount = in.flag() ? 3 : 1;
    const uint32_t seed = in.u32();
    session.deal(seed, in.below(3));
    for (int calls = 0; calls < maxCalls && !in.empty(); ++calls) session.step(in);
    // Everything recorded walks back to the deal.
    while (session.positions.size() > 1) session.undo();
    session.undo();
    return 0;
}
