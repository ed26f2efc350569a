#include "engine/Solitaire.h"

#include <algorithm>
#include <random>
#include <cstring>
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

namespace {

inline unsigned char cardByte(const Card& c) {
    return static_cast<unsigned char>(1 + 2 * (13 * c.suit + c.rank - 1) + (c.up ? 1 : 0));
}

// Writes the position key (one byte per card, a zero after every pile) to
// out, which has room for it; returns its length. With `from`, only the
// piles from that one on are written: the bytes before them are taken as
// already in place.
size_t writePosition(const State& state, char* out, int from = 0) {
    char* at = out;
    for (int p = 0; p < from; ++p) at += state.piles[p].size() + 1;
    for (int p = from; p < 13; ++p) {
        for (const Card& c : state.piles[p]) *at++ = static_cast<char>(cardByte(c));
        *at++ = '\0';
    }
    return static_cast<size_t>(at - out);
}

}  // namespace

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
            state.piles[6 + c].push_back(card);
        }
    }
    state.piles[0] = std::move(cards);
}

std::string Game::position(const State& state) {
    size_t cards = 0;
    for (const Pile& pile : state.piles) cards += pile.size();
    std::string key(cards + 13, '\0');
    writePosition(state, &key[0]);
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

namespace {

// Whether card c may be put on pile dest (2..12) whose top card is *top, or
// which is empty when top is null; the source run is known to be movable.
inline bool accepts(const Card& c, const Card* top, int dest) {
    if (dest <= 5) return top ? top->suit == c.suit && top->rank + 1 == c.rank : c.rank == 1;
    return top ? top->up && top->red() != c.red() && top->rank == c.rank + 1 : c.rank == 13;
}

// The effect of a legal move on a State, without the undo snapshot.
void applyMove(State& s, int p, int i, int dest) {
    Pile& source = s.piles[p];
    Pile& target = s.piles[dest];
    target.insert(target.end(), source.begin() + i, source.end());
    source.erase(source.begin() + i, source.end());
    if (dest <= 5)
        s.score += 10;
    else if (p == 1)
        s.score += 5;
    else if (p <= 5)
        s.score -= 15;
    if (p >= 6 && !source.empty() && !source.back().up) {
        source.back().up = true;
        s.score += 5;
    }
    if (s.score < 0) s.score = 0;
}

// The effect of a draw (stock or waste not both empty), without the snapshot.
void applyDraw(State& s, int drawCount) {
    Pile& stock = s.piles[0];
    Pile& waste = s.piles[1];
    if (stock.empty()) {
        while (!waste.empty()) {
            Card c = waste.back();
            waste.pop_back();
            c.up = false;
            stock.push_back(c);
        }
        s.score -= 100;
        if (s.score < 0) s.score = 0;
        return;
    }
    for (int k = 0; k < drawCount && !stock.empty(); ++k) {
        Card c = stock.back();
        stock.pop_back();
        c.up = true;
        waste.push_back(c);
    }
}

// What the search needs to take back a move or a draw it applied. A draw
// keeps copies of stock and waste (it is tried at most once a turn); a move
// only moves cards and may turn one up.
struct Applied {
    int source, destination;
    size_t moved;  // cards moved
    bool flipped;  // the source's new top card was turned up
    int32_t score;
    Pile stock, waste;
};

void applyStep(State& s, Applied& a, int p, int i, int d, int drawCount) {
    a.source = p;
    a.destination = d;
    a.score = s.score;
    if (p == 0) {
        a.stock = s.piles[0];
        a.waste = s.piles[1];
        applyDraw(s, drawCount);
    } else {
        a.moved = s.piles[p].size() - static_cast<size_t>(i);
        a.flipped = p >= 6 && i > 0 && !s.piles[p][i - 1].up;
        applyMove(s, p, i, d);
    }
}

void takeBack(State& s, Applied& a) {
    if (a.source == 0) {
        s.piles[0].swap(a.stock);
        s.piles[1].swap(a.waste);
    } else {
        Pile& source = s.piles[a.source];
        Pile& target = s.piles[a.destination];
        if (a.flipped) source.back().up = false;
        source.insert(source.end(), target.end() - static_cast<std::ptrdiff_t>(a.moved), target.end());
        target.resize(target.size() - a.moved);
    }
    s.score = a.score;
}

// The positions one search has passed through: keys stored back to back,
// found through an open-addressing table, so nothing is allocated per
// candidate.
class SeenKeys {
public:
    explicit SeenKeys(size_t keyLength) : length_(keyLength), slots_(1024, -1) {}

    // Adds the key; false when it was there already.
    bool insert(const char* key) {
        if (2 * (count_ + 1) > slots_.size()) grow();
        size_t slot = find(key, hash(key));
        if (slots_[slot] >= 0) return false;
        slots_[slot] = static_cast<int32_t>(count_++);
        keys_.insert(keys_.end(), key, key + length_);
        return true;
    }

private:
    uint64_t hash(const char* key) const {
        uint64_t h = length_;
        size_t k = 0;
        for (; k + 8 <= length_; k += 8) {
            uint64_t word;
            std::memcpy(&word, key + k, 8);
            h = (h ^ word) * 0x9E3779B97F4A7C15ull;
            h ^= h >> 29;
        }
        for (; k < length_; ++k) h = (h ^ static_cast<unsigned char>(key[k])) * 1099511628211ull;
        return h ^ (h >> 32);
    }
    size_t find(const char* key, uint64_t h) const {
        const size_t mask = slots_.size() - 1;
        for (size_t slot = h & mask;; slot = (slot + 1) & mask) {
            int32_t at = slots_[slot];
            if (at < 0 || std::memcmp(&keys_[static_cast<size_t>(at) * length_], key, length_) == 0) return slot;
        }
    }
    void grow() {
        std::vector<int32_t> old(slots_.size() * 2, -1);
        old.swap(slots_);
        for (size_t k = 0; k < count_; ++k) slots_[find(&keys_[k * length_], hash(&keys_[k * length_]))] = static_cast<int32_t>(k);
    }

    size_t length_;
    size_t count_ = 0;
    std::vector<int32_t> slots_;
    std::vector<char> keys_;
};

// Lowest index from which a tableau column's cards may be picked up
// together; the column's size when none may.
int runStart(const Pile& pile) {
    int i = static_cast<int>(pile.size()) - 1;
    if (i < 0 || !pile[i].up) return static_cast<int>(pile.size());
    while (i > 0) {
        const Card& below = pile[i - 1];
        const Card& c = pile[i];
        if (!below.up || c.rank + 1 != below.rank || c.red() == below.red()) break;
        --i;
    }
    return i;
}

}  // namespace

bool Game::canMove(int p, int i, int dest) const {
    if (dest < 2 || dest > 12 || dest == p || !sequence(p, i)) return false;
    const Pile& source = state.piles[p];
    if (dest <= 5 && static_cast<size_t>(i) != source.size() - 1) return false;
    const Pile& b = state.piles[dest];
    return accepts(source[i], b.empty() ? nullptr : &b.back(), dest);
}

bool Game::move(int p, int i, int dest) {
    if (!canMove(p, i, dest)) return false;
    remember();
    applyMove(state, p, i, dest);
    return true;
}

void Game::draw() {
    if (state.piles[0].empty() && state.piles[1].empty()) return;
    remember();
    applyDraw(state, drawCount);
}

bool Game::autoMove(int p, int i) {
    for (int d = 2; d <= 5; ++d)
        if (move(p, i, d)) return true;
    return false;
}

// Candidates are tried in the order in which they would be listed, each right
// after it is found: every refused one is taken back before the next, so the
// first that reaches an unseen position is the same as if the whole list had
// been collected first. Moves are applied without undo snapshots.
bool Game::findSolution(std::vector<Step>& path, bool foundationsOnly) const {
    State probe = state;
    size_t cards = 0;
    for (const Pile& pile : probe.piles) cards += pile.size();
    // The key of the probe's position, and the key of a candidate, which
    // shares the bytes of every pile below the lowest one the step touches.
    std::vector<char> key(cards + 13), next(cards + 13);
    SeenKeys seen(key.size());
    writePosition(probe, key.data());
    seen.insert(key.data());
    path.clear();

    Applied applied;
    auto advance = [&](int p, int i, int d) {
        const int from = p == 0 ? 0 : std::min(p, d);
        size_t unchanged = 0;
        for (int k = 0; k < from; ++k) unchanged += probe.piles[k].size() + 1;
        std::memcpy(next.data(), key.data(), unchanged);
        applyStep(probe, applied, p, i, d, drawCount);
        writePosition(probe, next.data(), from);
        if (seen.insert(next.data())) {
            key.swap(next);
            path.push_back({p, i, d});
            return true;
        }
        takeBack(probe, applied);
        return false;
    };
    auto advanceDraw = [&] {
        return (!probe.piles[0].empty() || !probe.piles[1].empty()) && advance(0, 0, 0);
    };
    auto won = [&probe] {
        return probe.piles[2].size() + probe.piles[3].size() + probe.piles[4].size() +
                   probe.piles[5].size() == 52;
    };
    static const int sources[] = {1, 6, 7, 8, 9, 10, 11, 12};

    // Every refused candidate is taken back, so what is worked out at the
    // start of a turn holds for the whole turn: the top cards, the first
    // movable card of each source, and which columns take which card.
    Card topCards[13];
    const Card* tops[13];
    int first[13];
    uint32_t takers[14][2];  // columns taking a card of rank r, black (0) or red (1)
    uint32_t emptyColumns;
    auto columnsTaking = [&](const Card& c) -> uint32_t {
        if (c.rank >= 1 && c.rank <= 13)
            return takers[c.rank][c.red() ? 1 : 0] | (c.rank == 13 ? emptyColumns : 0);
        uint32_t mask = 0;  // ranks no deck has: ask the rule itself
        for (int d = 6; d <= 12; ++d)
            if (accepts(c, tops[d], d)) mask |= 1u << d;
        return mask;
    };
    // Tries moving the run from (p, i) to each column that takes it, lowest first.
    auto tryColumns = [&](int p, int i) {
        uint32_t mask = columnsTaking(probe.piles[p][i]) & ~(1u << p);
        if (p >= 6 && i == 0) mask &= ~emptyColumns;  // never a whole column to an empty one
        for (; mask; mask &= mask - 1)
            if (advance(p, i, __builtin_ctz(mask))) return true;
        return false;
    };
    auto takeTurn = [&]() -> bool {
        std::memset(takers, 0, sizeof takers);
        emptyColumns = 0;
        for (int d = 2; d <= 12; ++d) {
            const Pile& pile = probe.piles[d];
            tops[d] = nullptr;
            if (pile.empty()) {
                if (d >= 6) emptyColumns |= 1u << d;
                continue;
            }
            topCards[d] = pile.back();
            tops[d] = &topCards[d];
            const Card& t = topCards[d];
            if (d >= 6 && t.up && t.rank >= 2 && t.rank <= 14) takers[t.rank - 1][t.red() ? 0 : 1] |= 1u << d;
        }
        for (int p : sources) {
            const Pile& pile = probe.piles[p];
            if (pile.empty() || !pile.back().up) continue;
            const int top = static_cast<int>(pile.size()) - 1;
            const Card c = pile[top];
            for (int d = 2; d <= 5; ++d)
                if (accepts(c, tops[d], d) && advance(p, top, d)) return true;
        }
        if (foundationsOnly) return advanceDraw();
        for (int p : sources) {
            const Pile& pile = probe.piles[p];
            const int size = static_cast<int>(pile.size());
            first[p] = p == 1 ? (size > 0 && pile.back().up ? size - 1 : size) : runStart(pile);
        }
        // Moves that turn up a face-down card: only a run's lowest card can.
        for (int p = 6; p <= 12; ++p) {
            const Pile& pile = probe.piles[p];
            const int i = first[p];
            if (i > 0 && i < static_cast<int>(pile.size()) && !pile[i - 1].up && tryColumns(p, i)) return true;
        }
        for (int p : sources) {
            const Pile& pile = probe.piles[p];
            for (int i = first[p]; i < static_cast<int>(pile.size()); ++i) {
                if (p >= 6 && i > 0 && !pile[i - 1].up) continue;  // tried above
                if (tryColumns(p, i)) return true;
            }
        }
        return advanceDraw();
    };

    for (int turn = 0; turn < 600 && !won(); ++turn)
        if (!takeTurn()) break;
    if (won()) return true;
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
