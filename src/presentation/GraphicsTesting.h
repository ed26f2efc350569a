// What the render surface keeps to itself, for the tests and benchmarks that
// look into it: the text cache, the fonts and the atlas picture. Nothing of
// the program includes this but Graphics.cpp.
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

// The text cache: every text drawn since the last flush.
const std::map<TextKey, TextImage>& cachedTexts();
// The font at the present scale: 16 points at scale 1, 28 when big.
TTF_Font* textFont(bool big);

// The BMP the card atlas is made from: the embedded card_atlas_bmp, unless a
// test gives a picture of its own, which must outlive the graphics made from
// it; freeGraphics and initGraphics then make them anew.
struct AtlasPicture {
    const unsigned char* bytes;
    unsigned int size;
};
AtlasPicture atlasPicture();
void setAtlasPicture(AtlasPicture picture);
