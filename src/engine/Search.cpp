// The greedy certificate search.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/Moves.h"
#include "engine/PositionKey.h"
#include "engine/Solitaire.h"

namespace sol {
namespace {

using detail::accepts;

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
    if (isStock(p)) {
        a.stock = s.piles[stockPile];
        a.waste = s.piles[wastePile];
        detail::applyDraw(s, drawCount);
    } else {
        a.moved = s.piles[p].size() - static_cast<size_t>(i);
        a.flipped = isColumn(p) && i > 0 && !s.piles[p][i - 1].up;
        detail::applyMove(s, p, i, d);
    }
}

void takeBack(State& s, Applied& a) {
    if (isStock(a.source)) {
        s.piles[stockPile].swap(a.stock);
        s.piles[wastePile].swap(a.waste);
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
        for (size_t k = 0; k < count_; ++k)
            slots_[find(&keys_[k * length_], hash(&keys_[k * length_]))] = static_cast<int32_t>(k);
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
    while (i > 0 && pile[i - 1].up && detail::followsInRun(pile[i - 1], pile[i])) --i;
    return i;
}

// Piles cards are moved from, in the order they are tried: waste, columns.
constexpr int kSources[] = {1, 6, 7, 8, 9, 10, 11, 12};

// Every refused candidate is taken back, so what is worked out at the start
// of a turn holds for the whole turn: the top cards, which columns take
// which card, and the first movable card of each source.
struct TurnFacts {
    Card topCards[pileCount];
    const Card* tops[pileCount];  // null for an empty pile
    uint32_t takers[14][2];       // columns taking a card of rank r, black (0) or red (1)
    uint32_t emptyColumns;
    int first[pileCount];  // of each source; its size when none

    void surveyTops(const State& s) {
        std::memset(takers, 0, sizeof takers);
        emptyColumns = 0;
        for (int d = firstFoundation; d < pileCount; ++d) {
            const Pile& pile = s.piles[d];
            tops[d] = nullptr;
            if (pile.empty()) {
                if (isColumn(d)) emptyColumns |= 1u << d;
                continue;
            }
            topCards[d] = pile.back();
            tops[d] = &topCards[d];
            const Card& t = topCards[d];
            if (isColumn(d) && t.up && t.rank >= 2 && t.rank <= 14) takers[t.rank - 1][t.red() ? 0 : 1] |= 1u << d;
        }
    }

    void findFirstMovable(const State& s) {
        for (int p : kSources) {
            const Pile& pile = s.piles[p];
            const int size = static_cast<int>(pile.size());
            first[p] = isWaste(p) ? (size > 0 && pile.back().up ? size - 1 : size) : runStart(pile);
        }
    }

    uint32_t columnsTaking(const Card& c) const {
        if (c.rank >= 1 && c.rank <= 13) return takers[c.rank][c.red() ? 1 : 0] | (c.rank == 13 ? emptyColumns : 0);
        uint32_t mask = 0;  // ranks no deck has: ask the rule itself
        for (int d = firstColumn; isColumn(d); ++d)
            if (accepts(c, tops[d], d)) mask |= 1u << d;
        return mask;
    }
};

// Each turn keeps the first candidate that reaches a position not seen
// before, trying them group by group. A candidate is tried as soon as it is
// found and taken back when refused, so the choice is the same as if the
// whole list had been collected first; nothing is recorded for undo.
class CertificateSearch {
public:
    CertificateSearch(const State& start, int drawCount, bool foundationsOnly, std::vector<Game::Step>& path)
        : probe_(start),
          drawCount_(drawCount),
          foundationsOnly_(foundationsOnly),
          path_(path),
          key_(detail::keyLength(start)),
          next_(key_.size()),
          seen_(key_.size()) {
        detail::writePosition(probe_, key_.data());
        seen_.insert(key_.data());
    }

    bool run() {
        path_.clear();
        for (int turn = 0; turn < kTurnLimit && !won(); ++turn)
            if (!takeTurn()) break;
        if (won()) return true;
        path_.clear();
        return false;
    }

private:
    static constexpr int kTurnLimit = 600;

    bool won() const { return detail::allOnFoundations(probe_); }

    bool takeTurn() {
        turn_.surveyTops(probe_);
        if (tryFoundationMoves()) return true;
        if (foundationsOnly_) return tryDraw();
        turn_.findFirstMovable(probe_);
        return tryRevealingMoves() || tryOtherColumnMoves() || tryDraw();
    }

    bool tryFoundationMoves() {
        for (int p : kSources) {
            const Pile& pile = probe_.piles[p];
            if (pile.empty() || !pile.back().up) continue;
            const int top = static_cast<int>(pile.size()) - 1;
            const Card c = pile[top];
            for (int d = firstFoundation; isFoundation(d); ++d)
                if (accepts(c, turn_.tops[d], d) && tryStep(p, top, d)) return true;
        }
        return false;
    }

    // Only a run's lowest card can lie on a face-down one.
    bool tryRevealingMoves() {
        for (int p = firstColumn; isColumn(p); ++p) {
            const int i = turn_.first[p];
            if (i < static_cast<int>(probe_.piles[p].size()) && reveals(p, i) && tryColumns(p, i)) return true;
        }
        return false;
    }

    bool tryOtherColumnMoves() {
        for (int p : kSources) {
            for (int i = turn_.first[p]; i < static_cast<int>(probe_.piles[p].size()); ++i)
                if (!reveals(p, i) && tryColumns(p, i)) return true;
        }
        return false;
    }

    bool tryDraw() {
        return (!probe_.piles[stockPile].empty() || !probe_.piles[wastePile].empty()) && tryStep(stockPile, 0, 0);
    }

    // Whether moving from (p, i), i within the pile, turns up a face-down card.
    bool reveals(int p, int i) const { return isColumn(p) && i > 0 && !probe_.piles[p][i - 1].up; }

    // The run from (p, i) to each column that takes it, lowest first.
    bool tryColumns(int p, int i) {
        uint32_t mask = turn_.columnsTaking(probe_.piles[p][i]) & ~(1u << p);
        if (isColumn(p) && i == 0) mask &= ~turn_.emptyColumns;  // never a whole column to an empty one
        for (; mask; mask &= mask - 1)
            if (tryStep(p, i, __builtin_ctz(mask))) return true;
        return false;
    }

    // Keeps the step if it reaches an unseen position, else takes it back.
    // The candidate's key shares the bytes of every pile below the lowest
    // one the step touches.
    bool tryStep(int p, int i, int d) {
        const int from = isStock(p) ? stockPile : std::min(p, d);
        std::memcpy(next_.data(), key_.data(), detail::keyOffset(probe_, from));
        applyStep(probe_, applied_, p, i, d, drawCount_);
        detail::writePosition(probe_, next_.data(), from);
        if (!seen_.insert(next_.data())) {
            takeBack(probe_, applied_);
            return false;
        }
        key_.swap(next_);
        path_.push_back({p, i, d});
        return true;
    }

    State probe_;
    const int drawCount_;
    const bool foundationsOnly_;
    std::vector<Game::Step>& path_;
    std::vector<char> key_, next_;  // the probe's key, a candidate's
    SeenKeys seen_;
    Applied applied_;
    TurnFacts turn_;
};

}  // namespace

bool Game::findSolution(std::vector<Step>& path, bool foundationsOnly) const {
    return CertificateSearch(state, drawCount, foundationsOnly, path).run();
}

}  // namespace sol
