// What the scene has composed, kept so that a frame draws anew only what has
// changed: the inputs of the picture the frame buffer holds, and, during a
// drag, the table under the dragged cards, composed once into a render
// target of its own (the table layer) and copied from at every motion. All
// of it is written by the scene (Scene.cpp) as it composes; whatever
// replaces the frame buffer or loses the targets' contents forgets it
// (forgetComposedFrames), and the first frame after a drag releases the
// layer.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <string>

// Everything the table under the dragged cards is drawn from: every card as
// it lies, the waste's fan, the selection and the drag that frame a card or
// leave cards out, the cards each foundation shows in the victory flight,
// and the victory trail.
struct TableInputs {
    std::string piles;  // the game's position key
    int drawCount = 0;
    int selected = -1, indexSelected = -1;
    bool dragging = false;
    int foundationTops[4] = {};
    size_t trail = 0;  // winTrailVersion
};
bool operator==(const TableInputs& a, const TableInputs& b);
inline bool operator!=(const TableInputs& a, const TableInputs& b) { return !(a == b); }

// What is drawn over the table but for the dragged cards' places and the
// clock: the status bar's score and sound note, the menu and the panels
// (whether the game is won the piles tell).
struct OverlayInputs {
    int score = 0;
    bool sound = true;
    bool menu = false, help = false;
    bool winAnimating = false;
};
bool operator==(const OverlayInputs& a, const OverlayInputs& b);
inline bool operator!=(const OverlayInputs& a, const OverlayInputs& b) { return !(a == b); }

// Everything a frame is drawn from.
struct FrameInputs {
    TableInputs table;
    // The first two dragged cards' places; the others follow at the same
    // spacing. Both 0, 0 without a drag.
    SDL_Point dragged[2] = {};
    Uint32 seconds = 0;  // the clock as shown
    OverlayInputs overlays;
};
bool sameDragPlaces(const FrameInputs& a, const FrameInputs& b);

// The inputs of the picture the frame buffer holds; null while it holds no
// known one.
const FrameInputs* composedFrame();
// The pixels of the frame that the dragged cards of that picture touch;
// empty without a drag.
SDL_Rect composedDrag();
// The frame buffer now holds the picture of `inputs`, its dragged cards
// within `dragged`.
void frameComposed(const FrameInputs& inputs, const SDL_Rect& dragged);
// What the frame buffer holds is not known (something could not be drawn).
void frameUnknown();

// Makes the table layer the render target as drawIntoFrame does, making it
// first at the frame buffer's size when there is none; false, with SDL's
// error, when it cannot be made.
bool drawIntoTableLayer();
// The table layer holds the table drawn from `inputs`.
bool tableLayerHolds(const TableInputs& inputs);
void tableLayerComposed(const TableInputs& inputs);
// Copies the pixels `area` of the table layer to the same pixels of the
// current target, a frame drawn into through drawIntoFrame.
void copyTableLayer(const SDL_Rect& area);
// The layer's texture goes; the next drag makes it again.
void releaseTableLayer();
// Nothing of the above is known any more, and the layer goes: the frame
// buffer was replaced, or the renderer lost what its targets held.
void forgetComposedFrames();

// Drawing into the frame limited to its pixels `area`, with the drawing
// scale kept; null lifts the limit.
void clipFrame(const SDL_Rect* area);
// The pixels of the frame that a rectangle of table units may touch, with a
// pixel to spare on every side, cut to the frame; empty when it lies
// outside.
SDL_Rect framePixels(double x, double y, double w, double h);
