// The game engine: cards, piles, rules, scoring, undo, certificate search and
// the dealer of winnable games. Pure C++: no graphics, input, sound or clock.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sol {

struct Card {
    int32_t suit;  // 0 spades, 1 hearts, 2 diamonds, 3 clubs
    int32_t rank;  // 1 ace .. 13 king
    bool up;       // face up

    bool red() const { return suit == 1 || suit == 2; }
};

inline bool operator==(const Card& a, const Card& b) { return a.suit == b.suit && a.rank == b.rank && a.up == b.up; }
inline bool operator!=(const Card& a, const Card& b) { return !(a == b); }

// Element 0 is the bottom card, the last element the top card.
using Pile = std::vector<Card>;

// Pile numbers: 0 stock, 1 waste, 2..5 foundations, 6..12 tableau columns;
// -1 for none. Every part of the program asks a pile's kind through these.
const int stockPile = 0;
const int wastePile = 1;
const int firstFoundation = 2;
const int firstColumn = 6;
const int pileCount = 13;

inline bool isStock(int p) { return p == stockPile; }
inline bool isWaste(int p) { return p == wastePile; }
inline bool isFoundation(int p) { return p >= firstFoundation && p < firstColumn; }
inline bool isColumn(int p) { return p >= firstColumn && p < pileCount; }
// The piles cards are moved onto: the foundations and the columns.
inline bool takesCards(int p) { return isFoundation(p) || isColumn(p); }

struct State {
    std::array<Pile, pileCount> piles;
    int32_t score = 0;
    bool started = false;
};

bool operator==(const State& a, const State& b);
inline bool operator!=(const State& a, const State& b) { return !(a == b); }

class Game {
public:
    // One certificate entry; source 0 is a draw (index and destination 0).
    struct Step {
        int32_t source;
        int32_t index;
        int32_t destination;
    };

    State state;
    std::vector<State> history;  // snapshots taken before each recorded action
    int32_t drawCount = 1;
    std::vector<Step> solution;  // winning certificate of the current deal

    // Deals `cards` (read from its end: the tableau first, the rest is the stock).
    void layout(Pile cards);
    // Position key: one byte per card, a zero byte after every pile.
    static std::string position(const State& state);
    void remember();
    bool undo();
    bool won() const;

    bool sequence(int p, int i) const;
    bool canMove(int p, int i, int dest) const;
    bool move(int p, int i, int dest);
    void draw();
    bool autoMove(int p, int i);

    // The greedy certificate search; never touches *this except through path.
    bool findSolution(std::vector<Step>& path, bool foundationsOnly) const;
    // Deals a game the search wins, from seed alone; certificate in solution.
    void deal(uint32_t seed, uint32_t maxRandomAttempts);
};

inline bool operator==(const Game::Step& a, const Game::Step& b) {
    return a.source == b.source && a.index == b.index && a.destination == b.destination;
}

}  // namespace sol
