// Composes one frame of the table in the off-screen frame buffer and copies
// it to the window, drawing anew only what changed since the frame before.
#include "presentation/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "interaction/PointerState.h"
#include "interaction/TableState.h"
#include "presentation/Graphics.h"
#include "presentation/SceneCache.h"
#include "presentation/SceneTesting.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "sound/CardAudio.h"

namespace {

const SDL_Color tableGreen = {0, 128, 0, 255};
const SDL_Color darkGreen = {0, 64, 0, 255};
const SDL_Color lightGreen = {64, 176, 64, 255};
const SDL_Color markGreen = {0, 96, 0, 255};
const SDL_Color navy = {0, 0, 128, 255};
const int clockX = 622;  // where the status bar's clock stands

// clang-format off
const char* const labels[5] = {
    "Neues Spiel       F2",
    "Erneut geben      F3",
    "1 / 3 Karten      D",
    "Rueckgaengig      Strg+Z",
    "Beenden",
};
// clang-format on

const char* const lines[7] = {
    "Ziel: Ass bis Koenig, jede Farbe auf einen Stapel.",
    "Spalten: absteigend und abwechselnd rot / schwarz.",
    "Nur Koenige duerfen auf eine leere Spalte.",
    "Karten ziehen oder anklicken, dann das Ziel anklicken.",
    "Doppelklick: auf Ass-Stapel. Leertaste: Karte ziehen.",
    "F2: neu   F3: erneut   D: 1/3 Karten   Strg+Z: zurueck",
    "S: Ton an/aus. Klicken zum Schliessen.",
};

bool draggingFrom(int p) { return dragging && selected == p; }

void emptyPlace(int p, int x, int y) {
    line(x, y, x + CW, y, darkGreen);
    line(x, y, x, y + CH, darkGreen);
    line(x, y + CH, x + CW, y + CH, lightGreen);
    line(x + CW, y, x + CW, y + CH, lightGreen);
    if (sol::isStock(p)) text("O", x + 28, y + 37, darkGreen, true);
    if (sol::isFoundation(p)) text("A", x + 30, y + 38, markGreen, true);
}

void drawWaste(int x, int y) {
    const sol::Pile& pile = game.state.piles[sol::wastePile];
    int n = static_cast<int>(pile.size());
    int first = std::max(0, n - game.drawCount);
    int end = draggingFrom(sol::wastePile) ? indexSelected : n;
    if (game.drawCount == 1 && end > 0) first = end - 1;
    for (int j = first; j < end; ++j)
        card(pile[j], x + fanOffset(sol::wastePile, j), y, sol::isWaste(selected) && indexSelected == j);
}

// While cards fly off, a foundation shows the card below those launched.
int foundationTop(const sol::Pile& pile) {
    int n = static_cast<int>(pile.size());
    if (flyingCards.empty() || n == 0) return n - 1;
    int suit = pile.back().suit;
    int launched = 0;
    for (const FlyingCard& f : flyingCards)
        if (f.launched && f.card.suit == suit) ++launched;
    return n - 1 - launched;
}

void drawPile(int p) {
    const sol::Pile& pile = game.state.piles[p];
    int n = static_cast<int>(pile.size());
    int x = px(p);
    int y = py(p, 0);
    if (n == 0 || (sol::isWaste(p) && draggingFrom(p) && indexSelected == 0)) emptyPlace(p, x, y);
    if (sol::isStock(p)) {
        if (n > 0) card(pile.back(), x, y, false);
        return;
    }
    if (sol::isWaste(p)) {
        drawWaste(x, y);
        return;
    }
    bool foundation = sol::isFoundation(p);
    int from = foundation ? foundationTop(pile) : 0;
    int to = foundation ? from : n - 1;
    for (int j = std::max(0, from); j <= to; ++j) {
        if (draggingFrom(p) && j >= indexSelected) continue;
        card(pile[j], x, py(p, j), selected == p && indexSelected == j);
    }
}

void drawDraggedCards() {
    if (!dragging || selected < 0) return;
    const sol::Pile& pile = game.state.piles[selected];
    for (int j = std::max(0, indexSelected); j < static_cast<int>(pile.size()); ++j) {
        SDL_Point at = draggedPosition(j - indexSelected);
        card(pile[j], at.x, at.y, false);
    }
}

void drawStatusBar() {
    bevel(0, statusBarTop, W, H - statusBarTop, false);
    std::string mode = game.drawCount == 3 ? "3 Karten" : "1 Karte";
    if (!cardAudio.enabled) mode += "   Ton aus";
    text(mode, 12, statusTextY, black, false);
    text("Punkte: " + std::to_string(game.state.score), 460, statusTextY, black, false);
    text("Zeit: " + std::to_string(gameSeconds()), clockX, statusTextY, black, false);
}

void drawMenu() {
    bevel(menuX, menuY, menuWidth, menuHeight, false);
    for (int j = 0; j < 5; ++j) text(labels[j], menuLabelX, menuLabelY + menuRowHeight * j, black, false);
}

void drawPanel(bool won) {
    bevel(85, 220, 590, 235, false);
    fill(89, 224, 582, 25, navy);
    text(won ? "Gewonnen!" : "Zarn - Solitär", 100, 228, white, false);
    if (won) {
        text("Alle Karten sind abgelegt. Glueckwunsch!", 164, 280, black, false);
        text("Klicken fuer ein neues Spiel.", 164, 322, black, false);
        return;
    }
    for (int j = 0; j < 7; ++j) text(lines[j], 100, 264 + 25 * j, black, false);
}

// The table under the dragged cards: the background, the top bar, the piles
// and the victory trail.
void drawTable() {
    SDL_SetRenderDrawColor(renderer, tableGreen.r, tableGreen.g, tableGreen.b, 255);
    // The clear leaves every pixel table green: no fill of the whole table
    // after it, which costs a software rasteriser a millisecond a frame.
    SDL_RenderClear(renderer);

    bevel(0, 0, W, topBarHeight, false);
    for (const BarButton& button : barButtons) text(button.label, button.labelX, barTextY, black, false);

    for (int p = 0; p < sol::pileCount; ++p) drawPile(p);
    renderWinTrail();
}

// What the drawing order puts over the dragged cards.
void drawOverDrag() {
    drawStatusBar();
    if (menu) drawMenu();
    bool won = game.won();
    if (help || (won && !winAnimating)) drawPanel(won);
}

// --- Drawing anew only what changed -----------------------------------------
// A frame whose inputs (SceneCache.h) are those of the picture in the frame
// buffer draws nothing; one in which only the clock's second moved redraws
// the status bar within the clock's pixels. During a drag the table under
// the dragged cards is composed once into the table layer; a motion copies
// back the layer where the dragged cards were and where they go, and draws
// them and what lies over them there. Each such part is drawn by the same
// calls, in the same order, over the same pixels as in a whole composition,
// so every pixel is the one a whole composition gives.

bool dragShown() { return dragging && selected >= 0; }

FrameInputs frameInputs() {
    FrameInputs in;
    in.table.piles = sol::Game::position(game.state);
    in.table.drawCount = game.drawCount;
    in.table.selected = selected;
    in.table.indexSelected = indexSelected;
    in.table.dragging = dragging;
    for (int f = 0; f < 4; ++f) in.table.foundationTops[f] = foundationTop(game.state.piles[f + 2]);
    in.table.trail = winTrailVersion();
    if (dragShown()) {
        in.dragged[0] = draggedPosition(0);
        in.dragged[1] = draggedPosition(1);
    }
    in.seconds = gameSeconds();
    in.overlays = {game.state.score, cardAudio.enabled, menu, help, winAnimating};
    return in;
}

// The pixels the dragged cards may touch, as drawDraggedCards places them.
SDL_Rect draggedPixels() {
    if (!dragShown()) return {0, 0, 0, 0};
    const int from = std::max(0, indexSelected), to = static_cast<int>(game.state.piles[selected].size()) - 1;
    if (to < from) return {0, 0, 0, 0};
    const SDL_Point first = draggedPosition(from - indexSelected), last = draggedPosition(to - indexSelected);
    const double top = std::min(first.y, last.y);
    return framePixels(first.x, top, CW, std::abs(static_cast<double>(last.y) - first.y) + CH);
}

// The status bar's pixels from the clock's left to the frame's right edge:
// columns from the one before the clock's first, rows whose middle lies
// inside the bar. The bar's fill covers each of them, the clock's text at
// any second lies within them, and nothing else there changes with it.
SDL_Rect clockPixels() {
    const SDL_Rect frame = frameArea();
    const SDL_FPoint scale = drawingScale();
    const int left = std::max(0, static_cast<int>(std::floor(clockX * scale.x - 0.5)));
    // A hundredth of a pixel to spare: a middle on the bar's very edge may
    // fall either way.
    const int top = static_cast<int>(std::ceil(statusBarTop * scale.y - 0.5 + 0.01));
    if (left >= frame.w || top >= frame.h) return {0, 0, 0, 0};
    return {left, top, frame.w - left, frame.h - top};
}

// The scene drawn again within `area` of the frame buffer, over the table
// layer copied there.
void redrawOverTableLayer(const SDL_Rect& area) {
    if (area.w <= 0 || area.h <= 0) return;
    clipFrame(&area);
    copyTableLayer(area);
    drawDraggedCards();
    drawOverDrag();
    clipFrame(nullptr);
}

// The table under the drag in the table layer; false when there can be no
// layer. Used for this frame even when something could not be drawn into
// it, as a whole composition would be, but not kept for the next.
bool composeTableLayer(const TableInputs& table) {
    const unsigned failures = drawingFailures();
    if (!drawIntoTableLayer()) return false;
    drawTable();
    if (drawingFailures() == failures) tableLayerComposed(table);
    return true;
}

void composeFrame() {
    const FrameInputs now = frameInputs();
    const FrameInputs* was = composedFrame();
    const bool sameUnder = was && was->table == now.table && was->overlays == now.overlays;
    const SDL_Rect dragged = draggedPixels();
    const unsigned failures = drawingFailures();
    if (dragShown() && (tableLayerHolds(now.table) || composeTableLayer(now.table))) {
        drawIntoFrame(frameBuffer);
        if (!sameUnder) {
            redrawOverTableLayer(frameArea());
        } else {
            if (!sameDragPlaces(*was, now)) {
                redrawOverTableLayer(composedDrag());
                redrawOverTableLayer(dragged);
            }
            if (was->seconds != now.seconds) redrawOverTableLayer(clockPixels());
        }
    } else {
        releaseTableLayer();
        const bool sameButClock = sameUnder && sameDragPlaces(*was, now);
        if (sameButClock && was->seconds == now.seconds) return;
        if (sameButClock) {
            drawIntoFrame(frameBuffer);
            const SDL_Rect clock = clockPixels();
            clipFrame(&clock);
            drawOverDrag();
            clipFrame(nullptr);
        } else {
            composeWhole(frameBuffer);
        }
    }
    if (drawingFailures() == failures)
        frameComposed(now, dragged);
    else
        frameUnknown();
}

}  // namespace

void render() {
    if (!resizeGraphics()) {
        SDL_Log("Resize graphics: %s", SDL_GetError());
        return;
    }
    composeFrame();
    showFrameBuffer();
    SDL_RenderPresent(renderer);
    handBackFreedHeap();
}

void composeWhole(SDL_Texture* target) {
    drawIntoFrame(target);
    drawTable();
    drawDraggedCards();
    drawOverDrag();
}

void dropDrawnFrames() {
    dropWinTrail();
    forgetComposedFrames();
}

void showFrameBuffer() {
    // The window's logical size returns with it as target; clearing it first
    // makes the bars beside the table green, where there are any.
    SDL_SetRenderTarget(renderer, nullptr);
    int outputWidth = 0, outputHeight = 0;
    SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight);
    const SDL_Rect whole = frameArea();
    if (outputWidth != whole.w || outputHeight != whole.h) {
        SDL_SetRenderDrawColor(renderer, tableGreen.r, tableGreen.g, tableGreen.b, 255);
        SDL_RenderClear(renderer);
    }
    // Copied in pixels, one to one into the area the logical size lays out:
    // scaled from table units it could reach a fraction of a pixel past that
    // area and lose its last row. The scale goes back at once, since SDL maps
    // the pointer with it.
    float scaleX = 1, scaleY = 1;
    SDL_RenderGetScale(renderer, &scaleX, &scaleY);
    SDL_RenderSetScale(renderer, 1.0f, 1.0f);
    SDL_RenderCopy(renderer, frameBuffer, &whole, &whole);
    SDL_RenderSetScale(renderer, scaleX, scaleY);
}
