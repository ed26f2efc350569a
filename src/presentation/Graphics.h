// The render surface: card atlas, off-screen frame buffer, drawing scale,
// scaled fonts, text cache and the drawing primitives in table units. All of
// its state is written here (resizeGraphics rebuilds it); the fonts are
// first opened at start-up, and the victory trail is the animation's, made
// and drawn into through the frame-target calls below.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <map>
#include <string>
#include <tuple>

struct TextImage {
    SDL_Texture* texture;
    int width;
    int height;
};

// (string, red, green, blue, big)
using TextKey = std::tuple<std::string, int, int, int, bool>;

// The window's renderer, made at start-up; everything draws through it.
extern SDL_Renderer* renderer;

// The card atlas at the drawing scale: the embedded picture's 13 x 5 grid,
// reduced once per frame-buffer size so that every card is a one-to-one
// copy, with cells of cardSlotWidth x cardSlotHeight pixels.
extern SDL_Texture* cardAtlas;
extern int cardSlotWidth, cardSlotHeight;
// The BMP the atlas is made from: the embedded card_atlas_bmp, unless a test
// points these at a picture of its own (then freeGraphics and initGraphics).
extern const unsigned char* cardAtlasData;
extern unsigned int cardAtlasSize;
// The frame is composed in the top-left bufferWidth x bufferHeight pixels of
// frameBuffer, whose texture may be larger (frameTargetSize).
extern SDL_Texture* frameBuffer;
extern int bufferWidth, bufferHeight;
extern float drawingScaleX, drawingScaleY;
extern TTF_Font* font;   // 16 points at scale 1
extern TTF_Font* large;  // 28 points at scale 1
extern std::map<TextKey, TextImage> textImages;
extern const SDL_Color black, white;

bool initGraphics();
void freeGraphics();
bool resizeGraphics();
// The pixel size of the area in which SDL shows the logical table on an
// output of width x height pixels: the frame buffer's size.
SDL_Point shownTableSize(int width, int height);
// Destroys every cached text; each is rendered again when next drawn.
void flushTextCache();
// After a frame has been shown: if resizeGraphics rebuilt since the last
// call, hands the heap freed with the old size's atlas picture and textures
// back to the system. They are made anew for every size, some MB each; once
// glibc has seen a large block freed it takes such blocks from its heap, and
// the holes they leave stay resident: tens of MB after a few hundred sizes.
// The renderer lets go of the old textures only as it draws with the new
// ones, so not before the first frame at the new size.
void handBackFreedHeap();
// The texture size of a render target that holds a frame of width x height
// pixels: the smallest of a fixed series of table-shaped sizes, each twice
// the area of the one before, that holds it; cut down to the renderer's
// largest texture, maxWidth x maxHeight (0: no limit), but never below the
// frame.
SDL_Point frameTargetSize(int width, int height, int maxWidth, int maxHeight);
// A render target for a frame at the present size: the frame buffer and the
// victory trail. Null on failure, with SDL's error.
SDL_Texture* createFrameTarget();
// Makes target (frameBuffer or the trail) the render target, with the frame's
// area as viewport and the drawing scale, so that drawing lands as in a
// texture of the frame's own size.
void drawIntoFrame(SDL_Texture* target);
// The frame's area in its target, in pixels.
SDL_Rect frameArea();

void fill(int x, int y, int w, int h, SDL_Color c);
// Both ends included. At any scale at least one pixel thick.
void line(int x, int y, int xx, int yy, SDL_Color c);
// A one-unit frame along the inside of the rectangle {x, y, w, h}.
void outline(int x, int y, int w, int h, SDL_Color c);
void text(const std::string& s, int x, int y, SDL_Color c, bool big);
void bevel(int x, int y, int w, int h, bool sunken);
