// The render surface: the window's renderer, the card atlas, the off-screen
// frame buffer, the drawing scale, the scaled fonts, the text cache and the
// drawing primitives in table units, cards included. All of it is written
// here: start-up and shut-down go through the calls below, resizeGraphics
// rebuilds the rest. The victory trail is the animation's, made and drawn
// into through the frame-target calls below. What tests look into is in
// GraphicsTesting.h.
#pragma once

#include <SDL.h>

#include <string>

#include "engine/Solitaire.h"

const SDL_Color black = {0, 0, 0, 255};
const SDL_Color white = {255, 255, 255, 255};

// The window's renderer; everything draws through it.
extern SDL_Renderer* renderer;
// The frame is composed in the top-left part of frameBuffer, frameArea,
// whose texture may be larger (see createFrameTarget).
extern SDL_Texture* frameBuffer;

// Makes the renderer of `window`: accelerated with vsync and render targets,
// or else SDL's software renderer; with the table's logical size. False,
// with both attempts' errors on one line of the log, when neither can be
// made.
bool createRenderer(SDL_Window* window);
void destroyRenderer();
// The renderer presents in step with the display's refresh, as far as SDL
// knows.
bool rendererHasVsync();
// The fonts at their sizes for scale 1, opened before the first build,
// which keeps them at the table's own size and replaces them at others, and
// closed after the last.
bool openFonts();
void closeFonts();
// Starts reducing the card atlas for a frame of the table's own size on a
// thread of its own, for the first build at that size to take: called before
// SDL's video starts, which keeps the main thread busy a good while.
void reduceAtlasInAdvance();

bool initGraphics();
void freeGraphics();
bool resizeGraphics();
// Called wherever a rebuild or freeGraphics replaces the frame buffer, once
// the new one is in place: what others painted for the old one (the victory
// trail) goes with it. Set at start-up.
void onFrameBufferReplaced(void (*drop)());
// Destroys every cached text; each is rendered again when next drawn.
void flushTextCache();
// Counts what could not be drawn since start-up: texts that could not be
// rendered and render targets that could not be made. A picture drawn while
// this changed lacks something, which the next drawing tries again.
unsigned drawingFailures();
// After a frame has been shown: if resizeGraphics rebuilt since the last
// call, hands the heap freed with the old size's atlas picture and textures
// back to the system. They are made anew for every size, some MB each; once
// glibc has seen a large block freed it takes such blocks from its heap, and
// the holes they leave stay resident: tens of MB after a few hundred sizes.
// The renderer lets go of the old textures only as it draws with the new
// ones, so not before the first frame at the new size.
void handBackFreedHeap();
// A render target for a frame at the present size: the frame buffer and the
// victory trail, of the smallest of a fixed series of table-shaped sizes,
// each twice the area of the one before, that holds the frame. Null on
// failure, with SDL's error.
SDL_Texture* createFrameTarget();
// As createFrameTarget, for an opaque picture copied one to one, as the
// frame buffer is.
SDL_Texture* createOpaqueFrameTarget();
// Makes target (frameBuffer or the trail) the render target, with the frame's
// area as viewport and the drawing scale, so that drawing lands as in a
// texture of the frame's own size.
void drawIntoFrame(SDL_Texture* target);
// The frame's area in its target, in pixels.
SDL_Rect frameArea();
// The render scale of table units in the frame: the frame's width / W and
// height / H.
SDL_FPoint drawingScale();

void fill(int x, int y, int w, int h, SDL_Color c);
// Both ends included. At any scale at least one pixel thick.
void line(int x, int y, int xx, int yy, SDL_Color c);
// A one-unit frame along the inside of the rectangle {x, y, w, h}.
void outline(int x, int y, int w, int h, SDL_Color c);
void text(const std::string& s, int x, int y, SDL_Color c, bool big);
void bevel(int x, int y, int w, int h, bool sunken);
// Card c, face or back, with its top-left corner at x, y: a one-to-one copy
// of its atlas cell; `sel` adds the selection's gold frame inside its edge.
void card(sol::Card c, int x, int y, bool sel);
