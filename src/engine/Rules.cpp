// The rules: layout, moves, draws, scoring and undo.
#include <string>

#include "engine/Moves.h"
#include "engine/PositionKey.h"
#include "engine/Solitaire.h"

namespace sol {

using detail::accepts;
using detail::followsInRun;

bool operator==(const State& a, const State& b) {
    if (a.score != b.score || a.started != b.started) return false;
    for (int p = 0; p < pileCount; ++p) {
        if (a.piles[p].size() != b.piles[p].size()) return false;
        for (size_t i = 0; i < a.piles[p].size(); ++i)
            if (a.piles[p][i] != b.piles[p][i]) return false;
    }
    return true;
}

void Game::layout(Pile cards) {
    state = State();
    // Given back, not just emptied: a long game's history can run to many MB.
    history = std::vector<State>();
    solution.clear();
    for (int c = 0; c < 7; ++c) {
        for (int r = 0; r <= c; ++r) {
            Card card = cards.back();
            cards.pop_back();
            card.up = (r == c);
            state.piles[firstColumn + c].push_back(card);
        }
    }
    state.piles[stockPile] = std::move(cards);
}

std::string Game::position(const State& state) {
    std::string key(detail::keyLength(state), '\0');
    detail::writePosition(state, &key[0]);
    return key;
}

void Game::remember() {
    history.push_back(state);
    state.started = true;
}

bool Game::undo() {
    if (history.empty()) return false;
    state = std::move(history.back());
    history.pop_back();
    return true;
}

bool Game::won() const { return detail::allOnFoundations(state); }

bool Game::sequence(int p, int i) const {
    if (!(isWaste(p) || takesCards(p)) || i < 0) return false;
    const Pile& pile = state.piles[p];
    if (static_cast<size_t>(i) >= pile.size()) return false;
    if (!pile[i].up) return false;
    if (!isColumn(p)) return static_cast<size_t>(i) == pile.size() - 1;
    for (size_t j = i + 1; j < pile.size(); ++j)
        if (!pile[j].up || !followsInRun(pile[j - 1], pile[j])) return false;
    return true;
}

bool Game::canMove(int p, int i, int dest) const {
    if (!takesCards(dest) || dest == p || !sequence(p, i)) return false;
    const Pile& source = state.piles[p];
    if (isFoundation(dest) && static_cast<size_t>(i) != source.size() - 1) return false;
    const Pile& b = state.piles[dest];
    return accepts(source[i], b.empty() ? nullptr : &b.back(), dest);
}

bool Game::move(int p, int i, int dest) {
    if (!canMove(p, i, dest)) return false;
    remember();
    detail::applyMove(state, p, i, dest);
    return true;
}

void Game::draw() {
    if (state.piles[stockPile].empty() && state.piles[wastePile].empty()) return;
    remember();
    detail::applyDraw(state, drawCount);
}

bool Game::autoMove(int p, int i) {
    for (int d = firstFoundation; isFoundation(d); ++d)
        if (move(p, i, d)) return true;
    return false;
}

}  // namespace sol
