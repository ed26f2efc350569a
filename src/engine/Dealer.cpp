// The dealer of games the search wins, from a seed alone.
#include <algorithm>
#include <random>
#include <stdexcept>

#include "engine/Solitaire.h"

namespace sol {
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

Pile sortedDeck() {
    Pile cards;
    for (int s = 0; s < 4; ++s)
        for (int r = 1; r <= 13; ++r) cards.push_back({s, r, false});
    return cards;
}

// The tableau of a constructed deal, in dealing order: the 28 highest cards,
// each suit's from the king down, the suit of each card picked at random.
// ranksLeft ends as the highest rank of each suit left for the stock.
Pile highCards(std::mt19937& rng, int (&ranksLeft)[4]) {
    Pile cards;
    while (cards.size() < 28) {
        int suits[4];
        int count = 0;
        for (int s = 0; s < 4; ++s)
            if (ranksLeft[s] != 0) suits[count++] = s;
        const int suit = suits[rng() % static_cast<uint32_t>(count)];
        cards.push_back({suit, ranksLeft[suit], false});
        --ranksLeft[suit];
    }
    return cards;
}

// The low cards, stacked so that the draws turn them up from the aces
// upwards, every one playable to a foundation as it comes.
Pile lowCardsInDrawOrder(const int (&ranksLeft)[4], int drawCount) {
    Pile stock;
    for (int r = 13; r >= 1; --r)
        for (int s = 0; s < 4; ++s)
            if (r <= ranksLeft[s]) stock.push_back({s, r, false});
    std::reverse(stock.begin(), stock.end());
    // A draw turns its chunk over: the chunk's first card ends on top.
    for (size_t start = 0; start < stock.size(); start += drawCount)
        std::reverse(stock.begin() + start,
                     stock.begin() + std::min(stock.size(), start + static_cast<size_t>(drawCount)));
    std::reverse(stock.begin(), stock.end());
    return stock;
}

// Cards for layout(): read from the end, so the tableau goes last.
Pile constructedDeck(std::mt19937& rng, int drawCount) {
    int ranksLeft[4] = {13, 13, 13, 13};
    Pile tableau = highCards(rng, ranksLeft);
    Pile cards = lowCardsInDrawOrder(ranksLeft, drawCount);
    cards.insert(cards.end(), tableau.rbegin(), tableau.rend());
    return cards;
}

}  // namespace

void Game::deal(uint32_t seed, uint32_t maxRandomAttempts) {
    std::mt19937 rng(seed);
    Pile cards = sortedDeck();
    // Each attempt shuffles the previous attempt's order again.
    const uint32_t attempts = std::min<uint32_t>(64, maxRandomAttempts);
    for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
        shuffle(cards, rng);
        layout(cards);
        if (findSolution(solution, false)) return;
    }
    // Won by construction, from the same engine's next values.
    layout(constructedDeck(rng, drawCount));
    if (!findSolution(solution, true)) throw std::logic_error("Constructed deal has no winning certificate");
}

}  // namespace sol
