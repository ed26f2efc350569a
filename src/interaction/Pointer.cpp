// Pointer gestures: the hit test, the top bar and the game menu, selection,
// click-to-move, drag and drop and the double-click to a foundation. Mouse
// and fingers arrive here alike, already in table units.
#include "interaction/Pointer.h"

#include <algorithm>
#include <climits>

#include "interaction/Actions.h"
#include "interaction/PointerTesting.h"
#include "presentation/Table.h"

bool dragging = false;

namespace {

const int defaultDragGap = 25;

int mx = 0, my = 0;            // last known pointer position
int downX = 0, downY = 0;      // position of the last press
int grabX = 0, grabY = 0;      // press that made the selection, relative to its card
int dragGap = defaultDragGap;  // vertical distance between dragged cards

void menuEntry(int y) {
    switch ((y - topBarHeight) / menuRowHeight) {
    case 0:
        reset(false);
        break;
    case 1:
        reset(true);
        break;
    case 2:
        switchDrawCount();
        break;
    case 3:
        undo();
        break;
    default:
        quit();
        break;  // "Beenden" reaches down to the menu's edge
    }
}

void pressTopBar(int x) {
    if (x <= barButtons[0].lastX)
        menu = !menu;
    else if (x <= barButtons[1].lastX)
        undo();
    else
        help = true;
}

// Any press closes the menu; one on it chooses an entry.
void pressMenu(int x, int y) {
    menu = false;
    if (x > menuLastX || y > menuLastY) return;
    menuEntry(y);
}

// Card i of pile p and those above it selected, held where the press caught
// them, the mouse captured for a drag.
void pickUp(int p, int i, int x, int y) {
    selected = p;
    indexSelected = i;
    grabX = x - (px(p) + fanOffset(p, i));
    grabY = y - py(p, i);
    dragGap = sol::isColumn(p) ? gap(p) : defaultDragGap;
    SDL_CaptureMouse(SDL_TRUE);
}

// A draw on the stock; else the selection moved onto the pile pressed, or
// else dropped, and the card pressed sent home by a double-click or picked
// up.
void pressTable(int x, int y, int clicks) {
    int p, i;
    hit(x, y, p, i);
    if (sol::isStock(p)) {
        drawFromStock();
        return;
    }
    if (selected >= 0 && sol::takesCards(p) && moveCard(selected, indexSelected, p)) {
        selected = -1;
        return;
    }
    selected = -1;
    if (!game.sequence(p, i)) return;
    if (clicks > 1 && autoMoveCard(p, i)) return;
    pickUp(p, i, x, y);
}

}  // namespace

void hit(int x, int y, int& p, int& i) {
    p = -1;
    i = -1;
    for (int d = sol::pileCount - 1; d >= 0; --d) {
        const sol::Pile& pile = game.state.piles[d];
        int size = static_cast<int>(pile.size());
        int left = px(d);
        int fan = size > 0 ? fanOffset(d, size - 1) : 0;
        if (x < left || x >= left + CW + fan) continue;
        if (size == 0) {
            int y0 = py(d, 0);
            if (y >= y0 && y <= y0 + CH - 1) {
                p = d;
                return;
            }
            continue;
        }
        for (int j = size - 1; j >= 0; --j) {
            int x0 = left + fanOffset(d, j);
            int y0 = py(d, j);
            if (x >= x0 && x <= x0 + CW - 1 && y >= y0 && y <= y0 + CH - 1) {
                p = d;
                i = j;
                return;
            }
        }
    }
}

void down(int x, int y, int clicks) {
    downX = mx = x;
    downY = my = y;
    // The help panel, the top bar, the menu and the won panel take a press
    // before the table does.
    if (help)
        help = false;
    else if (y < topBarHeight)
        pressTopBar(x);
    else if (menu)
        pressMenu(x, y);
    else if (game.won())
        reset(false);
    else
        pressTable(x, y, clicks);
}

void motion(int x, int y, bool pressed) {
    mx = x;
    my = y;
    if (pressed && selected >= 0 && (mx != downX || my != downY)) dragging = true;
}

void up(int x, int y) {
    if (dragging && selected >= 0) {
        int p, i;
        hit(x, y, p, i);
        moveCard(selected, indexSelected, p);
        selected = -1;
    }
    cancelDrag();
}

SDL_Point draggedPosition(int relativeIndex) {
    // The pointer may lie anywhere an int reaches; a card that far off is
    // off the table whether or not it is held at the end of the range.
    auto clamped = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
    return {clamped(1LL * mx - grabX), clamped(1LL * my + 1LL * relativeIndex * dragGap - grabY)};
}

void cancelDrag() {
    dragging = false;
    SDL_CaptureMouse(SDL_FALSE);
}

PointerPlaces pointerPlaces() { return {mx, my, downX, downY, grabX, grabY, dragGap}; }

void resetPointer() {
    cancelDrag();
    mx = my = downX = downY = grabX = grabY = 0;
    dragGap = defaultDragGap;
}

void holdDrag(SDL_Point pointer, SDL_Point grab, int gap) {
    dragging = true;
    mx = pointer.x;
    my = pointer.y;
    grabX = grab.x;
    grabY = grab.y;
    dragGap = gap;
}
