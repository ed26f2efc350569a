// What the scene has composed: the inputs of the frame buffer's picture and
// the table layer of a drag, with the pixel arithmetic their partial redraws
// share.
#include "presentation/SceneCache.h"

#include <algorithm>
#include <cmath>

#include "presentation/Graphics.h"

namespace {

// The picture in the frame buffer: its inputs, the dragged cards' pixels,
// and which texture it was drawn into.
bool frameKnown = false;
FrameInputs frameHeld;
SDL_Rect dragHeld = {0, 0, 0, 0};
SDL_Texture* frameTexture = nullptr;

// The table under a drag, at the frame buffer's size.
SDL_Texture* tableLayer = nullptr;
bool layerKnown = false;
TableInputs layerHeld;

}  // namespace

bool operator==(const TableInputs& a, const TableInputs& b) {
    return a.piles == b.piles && a.drawCount == b.drawCount && a.selected == b.selected &&
           a.indexSelected == b.indexSelected && a.dragging == b.dragging &&
           std::equal(a.foundationTops, a.foundationTops + 4, b.foundationTops) && a.trail == b.trail;
}

bool operator==(const OverlayInputs& a, const OverlayInputs& b) {
    return a.score == b.score && a.sound == b.sound && a.menu == b.menu && a.help == b.help &&
           a.winAnimating == b.winAnimating;
}

bool sameDragPlaces(const FrameInputs& a, const FrameInputs& b) {
    for (int k = 0; k < 2; ++k)
        if (a.dragged[k].x != b.dragged[k].x || a.dragged[k].y != b.dragged[k].y) return false;
    return true;
}

const FrameInputs* composedFrame() { return frameKnown && frameTexture == frameBuffer ? &frameHeld : nullptr; }

SDL_Rect composedDrag() { return dragHeld; }

void frameComposed(const FrameInputs& inputs, const SDL_Rect& dragged) {
    frameHeld = inputs;
    dragHeld = dragged;
    frameTexture = frameBuffer;
    frameKnown = true;
}

void frameUnknown() { frameKnown = false; }

bool drawIntoTableLayer() {
    if (!tableLayer) {
        tableLayer = createOpaqueFrameTarget();
        if (!tableLayer) return false;
        layerKnown = false;
    }
    drawIntoFrame(tableLayer);
    return true;
}

bool tableLayerHolds(const TableInputs& inputs) { return tableLayer && layerKnown && layerHeld == inputs; }

void tableLayerComposed(const TableInputs& inputs) {
    layerHeld = inputs;
    layerKnown = true;
}

void copyTableLayer(const SDL_Rect& area) {
    // In pixels: the layer's pixels land on the frame's one for one.
    const SDL_FPoint scale = drawingScale();
    SDL_RenderSetScale(renderer, 1.0f, 1.0f);
    SDL_RenderCopy(renderer, tableLayer, &area, &area);
    SDL_RenderSetScale(renderer, scale.x, scale.y);
}

void releaseTableLayer() {
    if (tableLayer) SDL_DestroyTexture(tableLayer);
    tableLayer = nullptr;
    layerKnown = false;
}

void forgetComposedFrames() {
    frameUnknown();
    releaseTableLayer();
}

void clipFrame(const SDL_Rect* area) {
    // SDL takes the clip in the units of the scale in force: set in pixels.
    const SDL_FPoint scale = drawingScale();
    SDL_RenderSetScale(renderer, 1.0f, 1.0f);
    SDL_RenderSetClipRect(renderer, area);
    SDL_RenderSetScale(renderer, scale.x, scale.y);
}

SDL_Rect framePixels(double x, double y, double w, double h) {
    const SDL_Rect frame = frameArea();
    const SDL_FPoint scale = drawingScale();
    const double left = std::max(0.0, std::floor(x * scale.x) - 1);
    const double top = std::max(0.0, std::floor(y * scale.y) - 1);
    const double right = std::min(static_cast<double>(frame.w), std::ceil((x + w) * scale.x) + 1);
    const double bottom = std::min(static_cast<double>(frame.h), std::ceil((y + h) * scale.y) + 1);
    if (right <= left || bottom <= top) return {0, 0, 0, 0};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}
