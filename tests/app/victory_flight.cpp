// The flight of the victory animation, judged by what it does: the cards
// take off kings first from their foundations, fly in fixed steps whatever
// the frame rate, bounce on the status bar never higher than before, leave
// the table at its sides, and one seed gives one flight. Pure simulation: no
// window is needed.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "interaction/Actions.h"
#include "presentation/Victory.h"
#include "presentation/VictoryTesting.h"
#include "support/DealSignature.h"
#include "support/Tables.h"

namespace {

const float dt = 1.0f / 60.0f;
const float floorY = 510.0f;  // a card's top when its bottom lies on the status bar

bool sameFlight(const std::vector<FlyingCard>& a, const std::vector<FlyingCard>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].card != b[k].card || a[k].x != b[k].x || a[k].y != b[k].y || a[k].vx != b[k].vx || a[k].vy != b[k].vy)
            return false;
    }
    return true;
}

bool sameTrail(const std::vector<WinStamp>& a, const std::vector<WinStamp>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].card != b[k].card || a[k].x != b[k].x || a[k].y != b[k].y) return false;
    }
    return true;
}

// Advances the flight by exactly one step, a millisecond at a time.
void nextStep() {
    const Uint32 from = winFlight().winStep;
    while (winFlight().winStep == from && winAnimating) advanceWinAnimation(winFlight().winLastTick + 1);
}

// One card alone in flight, about to take its next (even) step.
void lone(float x, float y, float vx, float vy) {
    clearWinAnimation();
    FlyingCard c;
    c.card = {1, 7, true};
    c.x = x;
    c.y = y;
    c.vx = vx;
    c.vy = vy;
    flyingCards.push_back(c);
    resumeWinFlight(1, 5000);
    advanceWinAnimation(5017);
    ASSERT_EQ(winFlight().winStep, 2u);
}

// The heights a card reaches between two touches of the status bar, from its
// positions seen once a step: the least y of each stretch of its path that
// ends on the bar (or off the table).
struct Arcs {
    std::vector<float> apex;
    bool open = false;
    void see(float y) {
        if (!open) apex.push_back(y);
        open = true;
        apex.back() = std::fmin(apex.back(), y);
        if (y == floorY) open = false;
    }
};

// The whole flight of `flightSeed` on a won table, frames `frameMs` apart.
void flyAll(unsigned int flightSeed, Uint32 frameMs) {
    game.state = wonTable();
    seed = flightSeed;
    startWinAnimation(0);
    for (Uint32 now = frameMs; winAnimating && now < 60000; now += frameMs) advanceWinAnimation(now);
    ASSERT_FALSE(winAnimating);
}

class Flight : public ::testing::Test {
protected:
    void TearDown() override { clearWinAnimation(); }
};

TEST_F(Flight, KingsFirstFromTheirFoundationsThrownUpAndSidewaysByTheSeedAlone) {
    const std::array<int, 4> suits = {2, 0, 3, 1};
    game.state = wonTable(suits);
    seed = 1234567;
    startWinAnimation(1000);
    ASSERT_EQ(flyingCards.size(), 52u);
    EXPECT_TRUE(winAnimating);
    EXPECT_EQ(winFlight().winLastTick, 1000u);

    // Kings of foundations 2..5 first, down to the aces, each waiting on its
    // foundation; every one thrown upwards, to the left or to the right.
    int rightwards = 0;
    for (int k = 0; k < 52; ++k) {
        const FlyingCard& c = flyingCards[k];
        SCOPED_TRACE(k);
        EXPECT_EQ(c.card, (sol::Card{suits[k % 4], 13 - k / 4, true}));
        EXPECT_EQ(c.x, 330.0f + 102.0f * (k % 4));
        EXPECT_EQ(c.y, 58.0f);
        EXPECT_GE(std::fabs(c.vx), 140.0f);
        EXPECT_LE(std::fabs(c.vx), 289.0f);
        EXPECT_GE(-c.vy, 90.0f);
        EXPECT_LE(-c.vy, 259.0f);
        rightwards += c.vx > 0;
        EXPECT_FALSE(c.launched);
        EXPECT_FALSE(c.finished);
    }
    EXPECT_GT(rightwards, 10) << "both ways";
    EXPECT_LT(rightwards, 42) << "both ways";

    // Again, after a flight was under way: the same list, from scratch.
    std::vector<FlyingCard> first = flyingCards;
    advanceWinAnimation(1200);
    startWinAnimation(9000);
    EXPECT_TRUE(sameFlight(first, flyingCards));
    EXPECT_EQ(winFlight().winStep, 0u);
    EXPECT_TRUE(winImprints().empty());

    // The same seed with the suits laid out otherwise: same motions, the
    // cards follow their foundations.
    const std::array<int, 4> other = {3, 1, 0, 2};
    game.state = wonTable(other);
    startWinAnimation(1000);
    for (int k = 0; k < 52; ++k) {
        EXPECT_EQ(flyingCards[k].card.suit, other[k % 4]);
        EXPECT_EQ(flyingCards[k].vx, first[k].vx);
        EXPECT_EQ(flyingCards[k].vy, first[k].vy);
    }

    seed = 1234568;
    startWinAnimation(1000);
    int differing = 0;
    for (int k = 0; k < 52; ++k) differing += flyingCards[k].vx != first[k].vx;
    EXPECT_GT(differing, 40);
}

TEST_F(Flight, CardsTakeOffEveryTenStepsAndPrintOnEvenSteps) {
    game.state = wonTable();
    seed = 42;
    startWinAnimation(100);
    const FlyingCard king = flyingCards[0];

    // Frames one millisecond apart: the remainder carries, one step at a time.
    Uint32 now = 100;
    auto toStep = [&now](Uint32 step) {
        while (winFlight().winStep < step) {
            advanceWinAnimation(++now);
            ASSERT_LE(winFlight().winStep, step);
        }
    };

    toStep(1);
    EXPECT_EQ(now, 117u);  // the first 1/60 s is complete after 17 ms
    EXPECT_TRUE(flyingCards[0].launched);
    EXPECT_FALSE(flyingCards[1].launched);
    EXPECT_TRUE(winImprints().empty());
    // Off its foundation the way it was thrown: sideways and up.
    EXPECT_EQ(flyingCards[0].x > king.x, king.vx > 0);
    EXPECT_NE(flyingCards[0].x, king.x);
    EXPECT_LT(flyingCards[0].y, king.y);

    toStep(2);
    ASSERT_EQ(winImprints().size(), 1u);
    EXPECT_EQ(winImprints()[0].card, king.card);
    EXPECT_NEAR(winImprints()[0].x, flyingCards[0].x, 0.5f) << "the imprint lies where the card is";
    EXPECT_NEAR(winImprints()[0].y, flyingCards[0].y, 0.5f);

    toStep(10);
    EXPECT_FALSE(flyingCards[1].launched);
    EXPECT_EQ(flyingCards[1].x, 432.0f);
    toStep(11);
    EXPECT_TRUE(flyingCards[1].launched);
    EXPECT_FALSE(flyingCards[2].launched);
    toStep(12);
    // The king's imprints at steps 2..12 and the second card's first.
    ASSERT_EQ(winImprints().size(), 7u);
    EXPECT_EQ(winImprints()[6].card, flyingCards[1].card);

    // One second of frames is 60 steps, whatever the frame rate.
    Uint32 before = winFlight().winStep;
    for (int i = 0; i < 1000; ++i) advanceWinAnimation(++now);
    EXPECT_NEAR(static_cast<int>(winFlight().winStep - before), 60, 1);
}

TEST_F(Flight, AStallAdvancesAQuarterSecondAtMost) {
    struct Case {
        Uint32 start, later;
    } cases[] = {
        {1000, 3000},           // a two-second pause
        {0xFFFFFF00u, 0x100u},  // across the tick counter's wrap
        {1000, 1250},           // exactly the cap
    };
    game.state = wonTable();
    for (const Case& c : cases) {
        startWinAnimation(c.start);
        advanceWinAnimation(c.later);
        SCOPED_TRACE(c.later);
        EXPECT_NEAR(winFlight().winStep * dt + winFlight().winRemainder, 0.25f, 1e-5f);
        EXPECT_GE(winFlight().winStep, 14u);
        EXPECT_LE(winFlight().winStep, 15u);
        EXPECT_EQ(winFlight().winLastTick, c.later);
    }
}

// A card that comes down on the status bar springs back up from it, never
// sinks into it, and rises clearly less high than it fell, but by a fair
// share of its fall; even a card that barely reaches the bar leaves it
// again. No bounce goes higher than the one before.
TEST_F(Flight, BouncesOnTheStatusBar) {
    struct Case {
        const char* what;
        float y;          // dropped from rest here
        float leastRise;  // at least this high after the first bounce
        float mostRise;   // and less high than this
    } cases[] = {
        {"a long fall", 100.0f, 410.0f / 4, 410.0f * 3 / 4},
        {"a short fall", 400.0f, 110.0f / 4, 110.0f * 3 / 4},
        {"barely a fall", 509.9f, 25.0f, 60.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lone(300.0f, c.y, 0.0f, 0.0f);
        Arcs arcs;
        arcs.see(c.y);
        arcs.see(flyingCards[0].y);
        for (int step = 0; step < 600 && arcs.apex.size() < 4; ++step) {
            nextStep();
            const float y = flyingCards[0].y;
            ASSERT_LE(y, floorY) << "into the status bar in step " << winFlight().winStep;
            arcs.see(y);
        }
        ASSERT_GE(arcs.apex.size(), 4u) << "three bounces";
        const float rise = floorY - arcs.apex[1];
        EXPECT_GE(rise, c.leastRise);
        EXPECT_LT(rise, c.mostRise);
        for (size_t k = 2; k < arcs.apex.size(); ++k) EXPECT_GE(arcs.apex[k], arcs.apex[k - 1]) << "bounce " << k;
        EXPECT_TRUE(winAnimating) << "a card that stays on the table keeps the flight going";
        for (const WinStamp& s : winImprints()) EXPECT_LE(s.y, 510);
    }
}

TEST_F(Flight, EdgesOfTheTable) {
    struct Case {
        float x;
        bool onTable;
        int stampX;
    } cases[] = {
        {-80.0f, true, -80}, {760.0f, true, 760}, {-80.01f, false, 0}, {760.01f, false, 0}, {-79.5f, true, -80}};
    for (const Case& c : cases) {
        lone(c.x, 200.0f, 0.0f, 0.0f);
        SCOPED_TRACE(c.x);
        EXPECT_EQ(flyingCards[0].finished, !c.onTable);
        EXPECT_EQ(winAnimating, c.onTable);
        if (c.onTable) {
            ASSERT_EQ(winImprints().size(), 1u);
            EXPECT_EQ(winImprints()[0].x, c.stampX);
        } else {
            EXPECT_TRUE(winImprints().empty());
        }
    }
    // Rounding of an imprint is half away from zero.
    lone(-79.5f, 200.5f, 0.0f, -12.666667f);
    ASSERT_EQ(winImprints().size(), 1u);
    EXPECT_EQ(winImprints()[0].x, -80);
    EXPECT_EQ(winImprints()[0].y, 201);
}

TEST_F(Flight, AWholeFlightLeavesAtTheSidesAndEnds) {
    game.state = wonTable();
    seed = 7;
    startWinAnimation(0);
    Uint32 now = 0, lastLaunch = 0;
    std::array<Arcs, 52> arcs;
    int bounced = 0;
    // Frames of 16 ms take one step at most, so every step is seen once.
    while (winAnimating && now < 60000) {
        now += 16;
        const Uint32 step = winFlight().winStep;
        advanceWinAnimation(now);
        if (!flyingCards[51].launched) lastLaunch = winFlight().winStep;
        if (winFlight().winStep == step) continue;
        for (int k = 0; k < 52; ++k)
            if (flyingCards[k].launched && !flyingCards[k].finished) arcs[k].see(flyingCards[k].y);
    }
    ASSERT_FALSE(winAnimating);
    EXPECT_EQ(lastLaunch + 1, 511u) << "the last card takes off in step 511";
    for (int k = 0; k < 52; ++k) {
        const FlyingCard& c = flyingCards[k];
        SCOPED_TRACE(k);
        EXPECT_TRUE(c.finished && c.launched);
        // Off the table at the side it was thrown to, never through the bar.
        EXPECT_TRUE(c.vx < 0 ? c.x < -80.0f : c.x > 760.0f) << c.x;
        EXPECT_LE(c.y, floorY);
        bounced += arcs[k].apex.size() > 1;
        for (size_t a = 1; a < arcs[k].apex.size(); ++a) EXPECT_GE(arcs[k].apex[a], arcs[k].apex[a - 1]);
    }
    EXPECT_GT(bounced, 26) << "most cards bounce before they leave";
    // The trail lies on the table, between its sides, under the top bar's
    // edge at most, on the status bar at the lowest.
    EXPECT_GT(winImprints().size(), 2000u);
    for (const WinStamp& s : winImprints()) {
        EXPECT_GE(s.x, -80);
        EXPECT_LE(s.x, 760);
        EXPECT_GE(s.y, 0);
        EXPECT_LE(s.y, 510);
    }

    // Later frames change nothing; the trail stays.
    const size_t stamps = winImprints().size();
    const Uint32 steps = winFlight().winStep;
    advanceWinAnimation(now + 1000);
    EXPECT_EQ(winImprints().size(), stamps);
    EXPECT_EQ(winFlight().winStep, steps);

    clearWinAnimation();
    EXPECT_TRUE(flyingCards.empty());
    EXPECT_TRUE(winImprints().empty());
    EXPECT_EQ(winFlight().winStep, 0u);
    EXPECT_EQ(winFlight().winRemainder, 0.0f);
    EXPECT_EQ(winFlight().paintedWinStamps, 0u);
}

// The flight hangs on the seed alone, not on the frames that show it; and
// the flight of one seed is pinned, so that any change in launch, motion,
// bounce, edges or imprints shows at once.
TEST_F(Flight, OneSeedOneFlightAtAnyFrameRate) {
    flyAll(7, 16);
    const std::vector<WinStamp> trail = winImprints();
    const Uint32 steps = winFlight().winStep;
    flyAll(7, 41);
    EXPECT_EQ(winFlight().winStep, steps);
    EXPECT_TRUE(sameTrail(trail, winImprints()));
    flyAll(8, 16);
    EXPECT_FALSE(sameTrail(trail, winImprints()));

    uint64_t h = checks::kFnvOffset;
    for (const WinStamp& s : trail) {
        h = checks::fnv(h, static_cast<uint32_t>(s.card.suit * 13 + s.card.rank));
        h = checks::fnv(h, static_cast<uint32_t>(s.x));
        h = checks::fnv(h, static_cast<uint32_t>(s.y));
    }
    EXPECT_EQ(steps, 713u);
    EXPECT_EQ(trail.size(), 3503u);
    EXPECT_EQ(h, 0xca9d7f9bc4b8aa34ull);
}

}  // namespace
