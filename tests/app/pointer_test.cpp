// Pointer gestures: hit test edges, the press rules, the top bar and menu,
// and the Idle / Selected / Dragging state machine.
#include <gtest/gtest.h>

#include <SDL.h>

#include <climits>
#include <functional>
#include <string>

#include "interaction/Actions.h"
#include "interaction/ActionsTesting.h"
#include "interaction/Pointer.h"
#include "interaction/PointerTesting.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "support/Cards.h"
#include "support/Pointer.h"
#include "support/TableState.h"
#include "support/Tables.h"
#include "support/ValidTable.h"

namespace {

// A small table with every kind of pile:
//   stock   two face-down hearts
//   waste   9 of clubs
//   found.2 ace of spades
//   col 6   face-down king of hearts under the 2 of spades
//   col 7   10 of diamonds
//   col 8   face-down 5 of clubs under the run 8 of spades, 7 of hearts
//   col 9   9 of hearts
//   col 10  empty
//   col 11  face-down 3 of diamonds under the run king of hearts, queen of spades
void smallTable() {
    clearTable();
    game.state.piles[0] = {faceDown(1, 12), faceDown(1, 11)};
    game.state.piles[1] = {faceUp(3, 9)};
    game.state.piles[2] = {faceUp(0, 1)};
    game.state.piles[6] = {faceDown(1, 13), faceUp(0, 2)};
    game.state.piles[7] = {faceUp(2, 10)};
    game.state.piles[8] = {faceDown(3, 5), faceUp(0, 8), faceUp(1, 7)};
    game.state.piles[9] = {faceUp(1, 9)};
    game.state.piles[11] = {faceDown(2, 3), faceUp(1, 13), faceUp(0, 12)};
}

void press(int p, int i, int clicks = 1) { down(cardX(p), cardY(p, i), clicks); }

// Where the last press was.
int pressX() { return pointerPlaces().downX; }
int pressY() { return pointerPlaces().downY; }

struct Hit {
    int p, i;
};
Hit hitAt(int x, int y) {
    Hit h;
    hit(x, y, h.p, h.i);
    return h;
}

}  // namespace

TEST(PointerHit, CardsAnswerToTheirAreaWithBothEdgesIncluded) {
    smallTable();
    // Column 8: cards at y 204, 229, 254; the top card covers 254..365.
    struct Case {
        int x, y, p, i;
    } cases[] = {
        {228, 254, 8, 2},
        {228 + 79, 254 + 111, 8, 2},
        {228 + 80, 300, -1, -1},
        {228, 254 + 112, -1, -1},
        {227, 300, -1, -1},
        {228, 204, 8, 0},
        {228, 228, 8, 0},
        {228, 229, 8, 1},
        {260, 253, 8, 1},
        // Empty column 10 answers with index -1 over a card's area.
        {432, 204, 10, -1},
        {432 + 79, 204 + 111, 10, -1},
        {432 + 80, 204, -1, -1},
        {432, 204 + 112, -1, -1},
        {432, 203, -1, -1},
        // Stock, foundations, the bars.
        {24, 58, 0, 1},
        {103, 169, 0, 1},
        {104, 58, -1, -1},
        {24, 170, -1, -1},
        {330, 58, 2, 0},
        {432, 58, 3, -1},
        {400, 10, -1, -1},
        {400, 640, -1, -1},
        {-5, 300, -1, -1},
    };
    for (const Case& c : cases) {
        Hit h = hitAt(c.x, c.y);
        EXPECT_EQ(h.p, c.p) << "at " << c.x << "," << c.y;
        EXPECT_EQ(h.i, c.i) << "at " << c.x << "," << c.y;
    }
}

TEST(PointerHit, WasteFanFollowsTheDrawCount) {
    struct Case {
        int drawCount, cards, x, p, i;
    } cases[] = {
        {3, 5, 126, 1, 2},   {3, 5, 141, 1, 2},   {3, 5, 142, 1, 3},   {3, 5, 158, 1, 4},
        {3, 5, 237, 1, 4},   {3, 5, 238, -1, -1}, {3, 2, 142, 1, 1},   {3, 2, 221, 1, 1},
        {3, 2, 222, -1, -1}, {3, 1, 205, 1, 0},   {3, 1, 206, -1, -1}, {1, 5, 126, 1, 4},
        {1, 5, 205, 1, 4},   {1, 5, 206, -1, -1}, {3, 0, 205, 1, -1},  {3, 0, 206, -1, -1},
    };
    for (const Case& c : cases) {
        clearTable();
        game.drawCount = c.drawCount;
        for (int k = 0; k < c.cards; ++k) game.state.piles[1].push_back(faceUp(k % 4, k + 1));
        Hit h = hitAt(c.x, 100);
        EXPECT_EQ(h.p, c.p) << c.drawCount << " / " << c.cards << " at x " << c.x;
        EXPECT_EQ(h.i, c.i) << c.drawCount << " / " << c.cards << " at x " << c.x;
    }
}

// The gesture states, and what each press, release and motion leads to.
TEST(PointerGestures, StateMachine) {
    enum Start { Idle, Selected, Dragging };
    struct Case {
        const char* name;
        Start start;
        std::function<void()> event;
        int selectedAfter;  // -1 Idle
        bool draggingAfter;
        std::function<bool()> effect;  // what else must hold afterwards
    };
    auto sizes = [](int a, size_t na, int b, size_t nb) {
        return [=] { return game.state.piles[a].size() == na && game.state.piles[b].size() == nb; };
    };
    auto nothingMoved = [] { return game.history.empty(); };
    // Selected and Dragging start from the run 8 of spades, 7 of hearts (column 8, index 1).
    Case cases[] = {
        {"press on a movable run", Idle, [] { press(8, 1); }, 8, false, nothingMoved},
        {"press on a face-down card", Idle, [] { press(8, 0); }, -1, false, nothingMoved},
        {"press on a covered foundation-less top", Idle, [] { press(6, 1); }, 6, false, nothingMoved},
        {"press on an empty column", Idle, [] { down(432 + 40, 250, 1); }, -1, false, nothingMoved},
        {"double-click a card a foundation takes", Idle, [] { press(6, 1, 2); }, -1, false, sizes(2, 2, 6, 1)},
        {"double-click a card no foundation takes", Idle, [] { press(9, 0, 2); }, 9, false, nothingMoved},
        {"double-click an empty column", Idle, [] { down(432 + 40, 250, 2); }, -1, false, nothingMoved},
        {"motion without a selection", Idle, [] { motion(500, 500, true); }, -1, false, nothingMoved},
        {"release without a press", Idle, [] { up(cardX(9), cardY(9, 0)); }, -1, false, nothingMoved},
        {"release without motion", Selected, [] { up(pressX(), pressY()); }, 8, false, nothingMoved},
        {"motion one unit away, button held", Selected, [] { motion(pressX() + 1, pressY(), true); }, 8, true,
         nothingMoved},
        {"motion one unit down, button held", Selected, [] { motion(pressX(), pressY() + 1, true); }, 8, true,
         nothingMoved},
        {"motion without the button", Selected, [] { motion(pressX() + 30, pressY(), false); }, 8, false, nothingMoved},
        {"motion back onto the press point", Selected, [] { motion(pressX(), pressY(), true); }, 8, false,
         nothingMoved},
        {"press where the run may go", Selected, [] { press(9, 0); }, -1, false, sizes(8, 1, 9, 3)},
        {"press on the stock", Selected, [] { press(0, 1); }, -1, false, sizes(0, 1, 1, 2)},
        {"press on another movable card", Selected, [] { press(7, 0); }, 7, false, nothingMoved},
        {"press on a foundation the run may not go to", Selected, [] { press(2, 0); }, 2, false, nothingMoved},
        {"press on a face-down card", Selected, [] { press(6, 0); }, -1, false, nothingMoved},
        {"press on empty table", Selected, [] { down(700, 500, 1); }, -1, false, nothingMoved},
        {"press on the run's own pile", Selected, [] { press(8, 2); }, 8, false, nothingMoved},
        {"double-click on the selected run", Selected, [] { press(8, 2, 2); }, 8, false, nothingMoved},
        {"release on a legal pile", Dragging, [] { up(cardX(9), cardY(9, 0)); }, -1, false, sizes(8, 1, 9, 3)},
        {"release on the source pile", Dragging, [] { up(cardX(8), cardY(8, 2)); }, -1, false, nothingMoved},
        {"release on the top bar", Dragging, [] { up(300, 10); }, -1, false, nothingMoved},
        {"release outside every pile", Dragging, [] { up(-40, 900); }, -1, false, nothingMoved},
        {"further motion", Dragging, [] { motion(pressX(), pressY(), true); }, 8, true, nothingMoved},
        {"motion with the button up", Dragging, [] { motion(600, 600, false); }, 8, true, nothingMoved},
        {"new game", Dragging, [] { reset(false); }, -1, false, [] { return true; }},
        {"undo", Dragging, [] { undo(); }, -1, false, nothingMoved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        smallTable();
        if (c.start != Idle) {
            press(8, 1);
            ASSERT_EQ(selected, 8);
            if (c.start == Selected) up(pressX(), pressY());
            if (c.start == Dragging) motion(pressX() + 5, pressY() + 5, true);
            ASSERT_EQ(dragging, c.start == Dragging);
        }
        c.event();
        EXPECT_EQ(selected, c.selectedAfter);
        EXPECT_EQ(dragging, c.draggingAfter);
        EXPECT_TRUE(c.effect());
        EXPECT_TRUE(selected < 0 || game.sequence(selected, indexSelected));
        cancelDrag();
    }
}

TEST(PointerGestures, ClickToMoveAKingRunOntoAnEmptyColumn) {
    smallTable();
    press(11, 1);
    up(pressX(), pressY());
    ASSERT_EQ(selected, 11);
    ASSERT_EQ(indexSelected, 1);
    down(432 + 10, 204 + 100, 1);  // empty column 10
    EXPECT_EQ(selected, -1);
    ASSERT_EQ(game.state.piles[10].size(), 2u);
    EXPECT_EQ(game.state.piles[10][0].rank, 13);
    EXPECT_EQ(game.state.piles[10][1].rank, 12);
    ASSERT_EQ(game.state.piles[11].size(), 1u);
    EXPECT_TRUE(game.state.piles[11][0].up) << "the exposed card turns up";
    EXPECT_NE(clockMarks().startTicks, 0u);
    // A queen alone may not go to an empty column: the press just drops it.
    smallTable();
    press(11, 2);
    down(432 + 10, 250, 1);
    EXPECT_EQ(selected, -1);
    EXPECT_TRUE(game.state.piles[10].empty());
}

TEST(PointerGestures, ThreeCardWasteOnlyItsTopCardIsPicked) {
    smallTable();
    game.drawCount = 3;
    game.state.piles[1] = {faceUp(3, 2), faceUp(3, 3), faceUp(2, 4), faceUp(3, 9)};
    press(9, 0);
    ASSERT_EQ(selected, 9);
    down(142 + 5, 100, 1);  // the fanned card under the top one
    EXPECT_EQ(selected, -1);
    down(158 + 70, 100, 1);  // the top card, 32 units right of the waste's edge
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(indexSelected, 3);
    EXPECT_EQ(pointerPlaces().grabX, 70) << "grab offset from the top fanned card";
    EXPECT_EQ(pointerPlaces().grabY, 100 - 58);
    EXPECT_EQ(pointerPlaces().dragGap, 25);
    motion(300, 400, true);
    SDL_Point at = draggedPosition(0);
    EXPECT_EQ(at.x, 230);
    EXPECT_EQ(at.y, 358);
    up(cardX(7), cardY(7, 0));  // 9 of clubs onto the 10 of diamonds
    EXPECT_EQ(game.state.piles[7].size(), 2u);
    EXPECT_EQ(game.state.piles[1].size(), 3u);
    cancelDrag();
}

TEST(PointerGestures, GrabOffsetAndSpacingOfALongColumn) {
    clearTable();
    sol::Pile column;
    for (int k = 0; k < 6; ++k) column.push_back(faceDown(k % 4, k + 1));
    for (int r = 13; r >= 5; --r) column.push_back(faceUp(r % 2 ? 0 : 1, r));
    game.state.piles[12] = column;  // 15 cards: packed to 21 units
    ASSERT_EQ(gap(12), 21);
    int y = py(12, 10) + 3;
    down(px(12) + 11, y, 1);
    ASSERT_EQ(selected, 12);
    EXPECT_EQ(indexSelected, 10);
    EXPECT_EQ(pointerPlaces().grabX, 11);
    EXPECT_EQ(pointerPlaces().grabY, 3);
    EXPECT_EQ(pointerPlaces().dragGap, 21);
    motion(100, 300, true);
    SDL_Point second = draggedPosition(2);
    EXPECT_EQ(second.x, 89);
    EXPECT_EQ(second.y, 300 + 42 - 3);
    // The pointer may be anywhere an int reaches: the cards stay at the ends.
    motion(INT_MIN, INT_MAX, true);
    second = draggedPosition(2);
    EXPECT_EQ(second.x, INT_MIN);
    EXPECT_EQ(second.y, INT_MAX);
    motion(INT_MAX, INT_MIN, true);
    second = draggedPosition(2);
    EXPECT_EQ(second.x, INT_MAX - 11);
    EXPECT_EQ(second.y, INT_MIN + 42 - 3);
    cancelDrag();
}

TEST(PointerGestures, TopBarMenuAndHelp) {
    enum Table { Untouched, Undone, NewDeal, Replayed };
    struct Case {
        const char* name;
        bool menuOpen, helpOpen;
        int x, y;
        bool menuAfter, helpAfter;
        Table table;
        bool drawCountFlipped, quits;
    } cases[] = {
        {"Spiel opens the menu", false, false, 71, 29, true, false, Untouched, false, false},
        {"Spiel closes the menu", true, false, 0, 0, false, false, Untouched, false, false},
        {"Zurueck undoes", false, false, 72, 15, false, false, Undone, false, false},
        {"Zurueck keeps the menu", true, false, 157, 15, true, false, Undone, false, false},
        {"Hilfe keeps the menu", true, false, 158, 15, true, true, Untouched, false, false},
        {"help closes on the top bar", false, true, 72, 15, false, false, Untouched, false, false},
        {"help closes on the menu", true, true, 20, 40, true, false, Untouched, false, false},
        {"Neues Spiel, top", true, false, 257, 30, false, false, NewDeal, false, false},
        {"Neues Spiel, bottom", true, false, 12, 61, false, false, NewDeal, false, false},
        {"Erneut geben", true, false, 12, 62, false, false, Replayed, false, false},
        {"Erneut geben, bottom", true, false, 12, 93, false, false, Replayed, false, false},
        {"1 / 3 Karten", true, false, 12, 94, false, false, NewDeal, true, false},
        {"1 / 3 Karten, bottom", true, false, 12, 125, false, false, NewDeal, true, false},
        {"Rueckgaengig", true, false, 12, 126, false, false, Undone, false, false},
        {"Rueckgaengig, bottom", true, false, 12, 157, false, false, Undone, false, false},
        {"Beenden", true, false, 12, 158, false, false, Untouched, false, true},
        {"Beenden, bottom", true, false, 257, 197, false, false, Untouched, false, true},
        {"below the menu", true, false, 12, 198, false, false, Untouched, false, false},
        {"right of the menu", true, false, 258, 40, false, false, Untouched, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearWinAnimation();
        clearTable();
        seed = 500;
        reset(false);
        drawFromStock();
        drawFromStock();
        sol::State afterDraws = game.state;
        menu = c.menuOpen;
        help = c.helpOpen;
        int drawCount = game.drawCount;
        down(c.x, c.y, 1);
        EXPECT_EQ(menu, c.menuAfter);
        EXPECT_EQ(help, c.helpAfter);
        EXPECT_EQ(game.drawCount != drawCount, c.drawCountFlipped);
        EXPECT_EQ(running, !c.quits);
        EXPECT_EQ(seed, c.table == NewDeal ? 502u : 501u);
        switch (c.table) {
        case Untouched:
            EXPECT_EQ(game.state, afterDraws) << "the press must not reach the table";
            break;
        case Undone:
            EXPECT_EQ(game.history.size(), 1u);
            break;
        case NewDeal:
        case Replayed:
            EXPECT_TRUE(game.history.empty());
            break;
        }
        running = true;
    }
}

TEST(PointerGestures, PressOnAWonTableDealsAnewButTheTopBarStillWorks) {
    seed = 77;
    clearTable();
    game.state = wonTable();
    down(300, 400, 1);
    EXPECT_EQ(seed, 78u);
    EXPECT_FALSE(game.won());
    EXPECT_TRUE(validTable(game));

    clearTable();
    game.state = wonTable();
    down(200, 10, 1);  // Hilfe
    EXPECT_TRUE(help);
    EXPECT_TRUE(game.won());
    down(200, 300, 1);  // closes help only
    EXPECT_FALSE(help);
    EXPECT_TRUE(game.won());
}
