// The render surface: card atlas, off-screen frame buffer, drawing scale,
// scaled fonts, text cache and the drawing primitives in table units.
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

extern SDL_Texture* cardAtlas;
// The atlas reduced once to the drawing scale, one slot of
// cardSlotWidth x cardSlotHeight pixels per atlas cell, so that every card is
// copied one to one; null when it could not be made (cards then come from
// cardAtlas itself).
extern SDL_Texture* cardCells;
extern int cardSlotWidth, cardSlotHeight;
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

void fill(int x, int y, int w, int h, SDL_Color c);
void line(int x, int y, int xx, int yy, SDL_Color c);
void text(const std::string& s, int x, int y, SDL_Color c, bool big);
void bevel(int x, int y, int w, int h, bool sunken);
