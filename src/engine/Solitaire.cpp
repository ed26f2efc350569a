#include "engine/Solitaire.h"

#include <algorithm>
#include <random>
#include <set>
#include <stdexcept>

namespace sol {

bool operator==(const State& a, const State& b) {
    if (a.score != b.score || a.started != b.started) return false;
    for (int p = 0; p < 13; ++p) {
        if (a.piles[p].size() != b.piles[p].size()) return false;
        for (size_t i = 0; i < a.piles[p].size(); ++i)
            if (a.piles[p][i] != b.piles[p][i]) return false;
    }
    return true;
}

void Game::layout(Pile cards) {
    state = State();
    history.clear();
    solution.clear();
    for (int c = 0; c < 7; ++c) {
        for (int r = 0; r <= c; ++r) {
            Card card = cards.back();
            cards.pop_back();
            card.up = (r == c);
            state.piles[6 + c].push_back(card);
        }
    }
    state.piles[0] = std::move(cards);
}

std::string Game::position(const State& state) {
    std::string key;
    key.reserve(65);
    for (const Pile& pile : state.piles) {
        for (const Card& c : pile)
            key.push_back(static_cast<char>(1 + 2 * (13 * c.suit + c.rank - 1) + (c.up ? 1 : 0)));
        key.push_back('\0');
    }
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

bool Game::won() const {
    size_t n = 0;
    for (int f = 2; f <= 5; ++f) n += state.piles[f].size();
    return n == 52;
}

bool Game::sequence(int p, int i) const {
    if (p < 1 || p > 12 || i < 0) return false;
    const Pile& pile = state.piles[p];
    if (static_cast<size_t>(i) >= pile.size()) return false;
    if (!pile[i].up) return false;
    if (p <= 5) return static_cast<size_t>(i) == pile.size() - 1;
    for (size_t j = i + 1; j < pile.size(); ++j) {
        const Card& c = pile[j];
        const Card& below = pile[j - 1];
        if (!c.up || c.rank + 1 != below.rank || c.red() == below.red()) return false;
    }
    return true;
}

bool Game::canMove(int p, int i, int dest) const {
    if (dest < 2 || dest > 12 || dest == p || !sequence(p, i)) return false;
    const Pile& source = state.piles[p];
    const Card& c = source[i];
    const Pile& b = state.piles[dest];
    if (dest <= 5) {
        if (static_cast<size_t>(i) != source.size() - 1) return false;
        if (b.empty()) return c.rank == 1;
        return b.back().suit == c.suit && b.back().rank + 1 == c.rank;
    }
    if (b.empty()) return c.rank == 13;
    const Card& t = b.back();
    return t.up && t.red() != c.red() && t.rank == c.rank + 1;
}

bool Game::move(int p, int i, int dest) {
    if (!canMove(p, i, dest)) return false;
    remember();
    Pile& source = state.piles[p];
    Pile& target = state.piles[dest];
    target.insert(target.end(), source.begin() + i, source.end());
    source.erase(source.begin() + i, source.end());
    if (dest <= 5)
        state.score += 10;
    else if (p == 1)
        state.score += 5;
    else if (p <= 5)
        state.score -= 15;
    if (p >= 6 && !source.empty() && !source.back().up) {
        source.back().up = true;
        state.score += 5;
    }
    if (state.score < 0) state.score = 0;
    return true;
}

void Game::draw() {
    Pile& stock = state.piles[0];
    Pile& waste = state.piles[1];
    if (stock.empty() && waste.empty()) return;
    remember();
    if (stock.empty()) {
        while (!waste.empty()) {
            Card c = waste.back();
            waste.pop_back();
            c.up = false;
            stock.push_back(c);
        }
        state.score -= 100;
        if (state.score < 0) state.score = 0;
        return;
    }
    for (int k = 0; k < drawCount && !stock.empty(); ++k) {
        Card c = stock.back();
        stock.pop_back();
        c.up = true;
        waste.push_back(c);
    }
}

bool Game::autoMove(int p, int i) {
    for (int d = 2; d <= 5; ++d)
        if (move(p, i, d)) return true;
    return false;
}

bool Game::findSolution(std::vector<Step>& path, bool foundationsOnly) const {
    Game probe;
    probe.state = state;
    probe.drawCount = drawCount;
    std::set<std::string> seen;
    seen.insert(position(probe.state));
    path.clear();
    static const int sources[] = {1, 6, 7, 8, 9, 10, 11, 12};
    std::vector<Step> moves;
    for (int turn = 0; turn < 600 && !probe.won(); ++turn) {
        moves.clear();
        for (int p : sources) {
            int top = static_cast<int>(probe.state.piles[p].size()) - 1;
            if (top < 0) continue;
            for (int d = 2; d <= 5; ++d)
                if (probe.canMove(p, top, d)) moves.push_back({p, top, d});
        }
        if (!foundationsOnly) {
            for (int priority = 0; priority < 2; ++priority) {
                for (int p : sources) {
                    const Pile& pile = probe.state.piles[p];
                    for (int i = 0; i < static_cast<int>(pile.size()); ++i) {
                        bool reveals = p >= 6 && i > 0 && !pile[i - 1].up;
                        if (reveals != (priority == 0)) continue;
                        for (int d = 6; d <= 12; ++d) {
                            if (p >= 6 && i == 0 && probe.state.piles[d].empty()) continue;
                            if (probe.canMove(p, i, d)) moves.push_back({p, i, d});
                        }
                    }
                }
            }
        }
        if (!probe.state.piles[0].empty() || !probe.state.piles[1].empty()) moves.push_back({0, 0, 0});

        bool advanced = false;
        for (const Step& step : moves) {
            State before = probe.state;
            if (step.source == 0)
                probe.draw();
            else
                probe.move(step.source, step.index, step.destination);
            probe.history.clear();
            if (seen.insert(position(probe.state)).second) {
                path.push_back(step);
                advanced = true;
                break;
            }
            probe.state = before;
        }
        if (!advanced) break;
    }
    if (probe.won()) return true;
    path.clear();
    return false;
}

namespace {

// Uniform integer in [0, b] exactly as libstdc++'s uniform_int_distribution
// draws it from a 32-bit engine (Lemire's nearly divisionless method).
template <class Rng>
uint32_t uniform(Rng& rng, uint32_t b) {
    uint64_t m = uint64_t(b) + 1;
    uint64_t product = uint64_t(rng()) * m;
    uint32_t low = static_cast<uint32_t>(product);
    if (low < m) {
        uint32_t t = static_cast<uint32_t>((uint64_t(1) << 32) - m) % static_cast<uint32_t>(m);
        while (low < t) {
            product = uint64_t(rng()) * m;
            low = static_cast<uint32_t>(product);
        }
    }
    return static_cast<uint32_t>(product >> 32);
}

// The permutation libstdc++'s std::shuffle makes with a 32-bit engine.
template <class Rng>
void shuffle(Pile& cards, Rng& rng) {
    const uint32_t n = static_cast<uint32_t>(cards.size());
    if (n < 2) return;
    if (0xFFFFFFFFu / n >= n) {
        uint32_t i = 1;
        if (n % 2 == 0) {
            std::swap(cards[1], cards[uniform(rng, 1)]);
            i = 2;
        }
        while (i < n) {
            const uint32_t r = i + 1;
            const uint32_t x = uniform(rng, r * (r + 1) - 1);
            std::swap(cards[i], cards[x / (r + 1)]);
            std::swap(cards[i + 1], cards[x % (r + 1)]);
            i += 2;
        }
    } else {
        for (uint32_t i = 1; i < n; ++i) std::swap(cards[i], cards[uniform(rng, i)]);
    }
}

}  // namespace

void Game::deal(uint32_t seed, uint32_t maxRandomAttempts) {
    std::mt19937 rng(seed);
    Pile cards;
    for (int s = 0; s < 4; ++s)
        for (int r = 1; r <= 13; ++r) cards.push_back({s, r, false});

    const uint32_t attempts = std::min<uint32_t>(64, maxRandomAttempts);
    for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
        shuffle(cards, rng);
        layout(cards);
        if (findSolution(solution, false)) return;
    }

    cards.clear();
    int ranks[4] = {13, 13, 13, 13};
    while (cards.size() < 28) {
        int suits[4];
        int count = 0;
        for (int s = 0; s < 4; ++s)
            if (ranks[s] != 0) suits[count++] = s;
        const int suit = suits[rng() % static_cast<uint32_t>(count)];
        cards.push_back({suit, ranks[suit], false});
        --ranks[suit];
    }
    Pile stock;
    for (int r = 13; r >= 1; --r)
        for (int s = 0; s < 4; ++s)
            if (r <= ranks[s]) stock.push_back({s, r, false});
    std::reverse(stock.begin(), stock.end());
    for (size_t start = 0; start < stock.size(); start += drawCount)
        std::reverse(stock.begin() + start,
                     stock.begin() + std::min(stock.size(), start + static_cast<size_t>(drawCount)));
    std::reverse(stock.begin(), stock.end());
    std::reverse(cards.begin(), cards.end());
    stock.insert(stock.end(), cards.begin(), cards.end());
    layout(stock);
    if (!findSolution(solution, true))
        throw std::logic_error("Constructed deal has no winning certificate");
}

}  // namespace sol
