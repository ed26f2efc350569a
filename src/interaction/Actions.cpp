// The table state and the game actions. Every change the player makes goes
// through here so that the selection, the clock, the win and the sounds
// stay in step with the engine.
#include "interaction/Actions.h"

#include <algorithm>
#include <ctime>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "interaction/ActionsTesting.h"
#include "interaction/PointerState.h"
#include "presentation/Victory.h"
#include "sound/CardAudio.h"

sol::Game game;
unsigned int seed = static_cast<unsigned int>(time(nullptr));
int selected = -1;
int indexSelected = -1;
bool running = true;
bool help = false;
bool menu = false;

namespace {

Uint32 startTicks = 0;  // 0: clock not started
Uint32 winTicks = 0;    // 0: not won
// The table's clock in SDL ticks: SDL_GetTicks, unless a test stands in a
// clock of its own.
Uint32 (*tableTicks)() = SDL_GetTicks;

const uint32_t maxRandomAttempts = 64;

// Undo snapshots past which a new game hands the freed history back to the
// system (some 3 MB): the allocator would otherwise keep it for the process.
const size_t longHistory = 4096;
// The most snapshots the history has held since the deal: those undone have
// been freed too, and leave the same holes.
size_t historyPeak = 0;

// Freed heap back to the system; glibc keeps it for the process otherwise.
void trimHeap() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// 0 marks a clock mark as unset, so a mark taken at tick 0 is stored as 1.
Uint32 tickMark() {
    Uint32 now = tableTicks();
    return now > 1 ? now : 1;
}

}  // namespace

Uint32 tableNow() { return tableTicks(); }

Uint32 gameSeconds() {
    if (startTicks == 0) return 0;
    Uint32 end = winTicks != 0 ? winTicks : tableTicks();
    return (end - startTicks) / 1000;
}

int msToNextSecond() {
    if (startTicks == 0 || winTicks != 0) return -1;
    return static_cast<int>(1000 - (tableTicks() - startTicks) % 1000);
}

void reset(bool same) {
    clearWinAnimation();
    if (!same) ++seed;
    const bool longGame = std::max(historyPeak, game.history.size()) > longHistory;
    game.deal(seed, maxRandomAttempts);
    historyPeak = 0;
    if (longGame) trimHeap();
    dropSelection();
    startTicks = 0;
    winTicks = 0;
}

void changed() {
    historyPeak = std::max(historyPeak, game.history.size());
    if (game.state.started && startTicks == 0) startTicks = tickMark();
    if (game.won() && winTicks == 0) {
        winTicks = tickMark();
        startWinAnimation(winTicks);
        dropSelection();
    }
}

bool moveCard(int from, int index, int to) {
    if (!game.move(from, index, to)) return false;
    cardAudio.play();
    changed();
    return true;
}

bool autoMoveCard(int from, int index) {
    if (!game.autoMove(from, index)) return false;
    cardAudio.play();
    // A right-click may send the selected card itself away, or cover it on
    // its foundation: a selection that can no longer be picked up is gone.
    if (selected >= 0 && !game.sequence(selected, indexSelected)) {
        dropSelection();
    }
    changed();
    return true;
}

void drawFromStock() {
    bool drawsCard = !game.state.piles[sol::stockPile].empty();
    game.draw();
    selected = -1;
    changed();
    // Turning the waste over is silent.
    if (drawsCard) cardAudio.playDraw();
}

void undo() {
    clearWinAnimation();
    game.undo();
    dropSelection();
    winTicks = 0;
    // Back at the dealt position the clock starts afresh with the next move.
    if (!game.state.started) startTicks = 0;
}

void switchDrawCount() {
    game.drawCount = game.drawCount == 3 ? 1 : 3;
    reset(false);
}

void dropSelection() {
    cancelDrag();
    selected = -1;
}

void closeOverlays() {
    help = false;
    menu = false;
}

void toggleHelp() { help = !help; }

void quit() { running = false; }

ClockMarks clockMarks() { return {startTicks, winTicks}; }

void setClockMarks(ClockMarks marks) {
    startTicks = marks.startTicks;
    winTicks = marks.winTicks;
}

void setTableTicks(Uint32 (*ticks)()) { tableTicks = ticks ? ticks : SDL_GetTicks; }

void clearTableState() {
    game = sol::Game();
    selected = -1;
    indexSelected = -1;
    startTicks = 0;
    winTicks = 0;
    historyPeak = 0;
    help = false;
    menu = false;
    running = true;
    tableTicks = SDL_GetTicks;
}
