// The flight of the victory animation: launch order, the seeded speeds,
// fixed-step timing, the stall cap, the bounce and the table's edges. Pure
// simulation: no window is needed.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>

#include "interaction/Actions.h"
#include "presentation/Victory.h"
#include "support/Tables.h"

namespace {

const float dt = 1.0f / 60.0f;

bool sameFlight(const std::vector<FlyingCard>& a, const std::vector<FlyingCard>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].card != b[k].card || a[k].x != b[k].x || a[k].y != b[k].y || a[k].vx != b[k].vx || a[k].vy != b[k].vy)
            return false;
    }
    return true;
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
    winAnimating = true;
    winStep = 1;
    winLastTick = 5000;
    advanceWinAnimation(5017);
    ASSERT_EQ(winStep, 2u);
}

class Flight : public ::testing::Test {
protected:
    void TearDown() override { clearWinAnimation(); }
};

TEST_F(Flight, LaunchOrderAndSpeedsFollowTheSeedAlone) {
    const std::array<int, 4> suits = {2, 0, 3, 1};
    game.state = wonTable(suits);
    seed = 1234567;
    startWinAnimation(1000);
    ASSERT_EQ(flyingCards.size(), 52u);
    EXPECT_TRUE(winAnimating);
    EXPECT_EQ(winLastTick, 1000u);

    // Kings of foundations 2..5 first, down to the aces; three draws per
    // card from the animation's own generator.
    std::mt19937 reference(1234567u ^ 0x57494Eu);
    for (int k = 0; k < 52; ++k) {
        const FlyingCard& c = flyingCards[k];
        SCOPED_TRACE(k);
        EXPECT_EQ(c.card, (sol::Card{suits[k % 4], 13 - k / 4, true}));
        EXPECT_EQ(c.x, 330.0f + 102.0f * (k % 4));
        EXPECT_EQ(c.y, 58.0f);
        const unsigned speed = reference() % 150 + 140;
        const bool right = reference() % 2 == 1;
        const unsigned rise = reference() % 170 + 90;
        EXPECT_EQ(c.vx, right ? float(speed) : -float(speed));
        EXPECT_EQ(c.vy, -float(rise));
        EXPECT_FALSE(c.launched);
        EXPECT_FALSE(c.finished);
    }

    // Again, after a flight was under way: the same list, from scratch.
    std::vector<FlyingCard> first = flyingCards;
    advanceWinAnimation(1200);
    startWinAnimation(9000);
    EXPECT_TRUE(sameFlight(first, flyingCards));
    EXPECT_EQ(winStep, 0u);
    EXPECT_TRUE(winStamps.empty());

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
        while (winStep < step) {
            advanceWinAnimation(++now);
            ASSERT_LE(winStep, step);
        }
    };

    toStep(1);
    EXPECT_EQ(now, 117u);  // the first 1/60 s is complete after 17 ms
    EXPECT_TRUE(flyingCards[0].launched);
    EXPECT_FALSE(flyingCards[1].launched);
    EXPECT_TRUE(winStamps.empty());
    // Position moves with the old speed, gravity acts before the fall.
    EXPECT_FLOAT_EQ(flyingCards[0].x, king.x + king.vx * dt);
    EXPECT_FLOAT_EQ(flyingCards[0].vy, king.vy + 12.666667f);
    EXPECT_FLOAT_EQ(flyingCards[0].y, king.y + (king.vy + 12.666667f) * dt);

    toStep(2);
    ASSERT_EQ(winStamps.size(), 1u);
    EXPECT_EQ(winStamps[0].card, king.card);
    EXPECT_EQ(winStamps[0].x, static_cast<int>(std::lround(flyingCards[0].x)));
    EXPECT_EQ(winStamps[0].y, static_cast<int>(std::lround(flyingCards[0].y)));

    toStep(10);
    EXPECT_FALSE(flyingCards[1].launched);
    EXPECT_EQ(flyingCards[1].x, 432.0f);
    toStep(11);
    EXPECT_TRUE(flyingCards[1].launched);
    EXPECT_FALSE(flyingCards[2].launched);
    toStep(12);
    // The king's imprints at steps 2..12 and the second card's first.
    ASSERT_EQ(winStamps.size(), 7u);
    EXPECT_EQ(winStamps[6].card, flyingCards[1].card);

    // One second of frames is 60 steps, whatever the frame rate.
    Uint32 before = winStep;
    for (int i = 0; i < 1000; ++i) advanceWinAnimation(++now);
    EXPECT_NEAR(static_cast<int>(winStep - before), 60, 1);
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
        EXPECT_NEAR(winStep * dt + winRemainder, 0.25f, 1e-5f);
        EXPECT_GE(winStep, 14u);
        EXPECT_LE(winStep, 15u);
        EXPECT_EQ(winLastTick, c.later);
    }
}

TEST_F(Flight, BounceAtTheStatusBar) {
    struct Case {
        float y, vy;     // before the step
        float bounceVy;  // vertical speed after it
    } cases[] = {
        {505.0f, 600.0f, -(600.0f + 12.666667f) * 0.78f},  // keeps 78 % of its speed
        {509.9f, 10.0f, -220.0f},                          // slow: at least 220 up
        {400.0f, 0.0f, 12.666667f},                        // well above: just falls
    };
    for (const Case& c : cases) {
        lone(300.0f, c.y, 150.0f, c.vy);
        SCOPED_TRACE(c.y);
        EXPECT_FLOAT_EQ(flyingCards[0].vy, c.bounceVy);
        EXPECT_LE(flyingCards[0].y, 510.0f);
        if (c.bounceVy < 0) {
            EXPECT_EQ(flyingCards[0].y, 510.0f);
        }
        ASSERT_EQ(winStamps.size(), 1u);
        EXPECT_LE(winStamps[0].y, 510);
    }
}

TEST_F(Flight, EdgesOfTheTable) {
    struct Case {
        float x;
        bool onTable;
    } cases[] = {{-80.0f, true}, {760.0f, true}, {-80.01f, false}, {760.01f, false}, {-79.5f, true}};
    for (const Case& c : cases) {
        lone(c.x, 200.0f, 0.0f, 0.0f);
        SCOPED_TRACE(c.x);
        EXPECT_EQ(flyingCards[0].finished, !c.onTable);
        EXPECT_EQ(winAnimating, c.onTable);
        if (c.onTable) {
            ASSERT_EQ(winStamps.size(), 1u);
            EXPECT_EQ(winStamps[0].x, static_cast<int>(std::lround(c.x)));
        } else {
            EXPECT_TRUE(winStamps.empty());
        }
    }
    // Rounding of an imprint is half away from zero.
    lone(-79.5f, 200.5f, 0.0f, -12.666667f);
    ASSERT_EQ(winStamps.size(), 1u);
    EXPECT_EQ(winStamps[0].x, -80);
    EXPECT_EQ(winStamps[0].y, 201);
}

TEST_F(Flight, AWholeFlightEndsWhenTheLastCardLeaves) {
    game.state = wonTable();
    seed = 7;
    startWinAnimation(0);
    Uint32 now = 0, lastLaunch = 0;
    while (winAnimating && now < 60000) {
        now += 16;
        advanceWinAnimation(now);
        if (!flyingCards[51].launched) lastLaunch = winStep;
    }
    ASSERT_FALSE(winAnimating);
    EXPECT_EQ(lastLaunch + 1, 511u) << "the last card takes off in step 511";
    for (const FlyingCard& c : flyingCards) EXPECT_TRUE(c.finished && c.launched);
    EXPECT_GT(winStamps.size(), 2000u);
    for (const WinStamp& s : winStamps) {
        EXPECT_GE(s.x, -80);
        EXPECT_LE(s.x, 760);
        EXPECT_LE(s.y, 510);
    }
    // Later frames change nothing; the trail stays.
    const size_t stamps = winStamps.size();
    const Uint32 steps = winStep;
    advanceWinAnimation(now + 1000);
    EXPECT_EQ(winStamps.size(), stamps);
    EXPECT_EQ(winStep, steps);

    clearWinAnimation();
    EXPECT_TRUE(flyingCards.empty());
    EXPECT_TRUE(winStamps.empty());
    EXPECT_EQ(winStep, 0u);
    EXPECT_EQ(winRemainder, 0.0f);
    EXPECT_EQ(paintedWinStamps, 0u);
}

}  // namespace
