// A card atlas whose cells are plain colours that name their card, so that a
// scene read back tells which card lies where whatever the real artwork looks
// like; and the means to give the graphics any other atlas picture.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "engine/Solitaire.h"
#include "presentation/Graphics.h"
#include "presentation/GraphicsTesting.h"
#include "support/Pixels.h"

// The colour atlas's card back.
const Rgb backColour = {200, 30, 200};

// The colour atlas's face of one card.
inline Rgb faceColour(int suit, int rank) { return {rank * 18, 60 + suit * 40, 230}; }

// The colour atlas's colour of a card as it lies.
inline Rgb cardColour(sol::Card c) { return c.up ? faceColour(c.suit, c.rank) : backColour; }

// A picture as the bytes of a BMP file, the way the atlas is compiled in.
inline std::vector<unsigned char> encodeBmp(SDL_Surface* s) {
    std::vector<unsigned char> bmp(static_cast<size_t>(s->w) * s->h * 4 + 1024);
    SDL_RWops* out = SDL_RWFromMem(bmp.data(), static_cast<int>(bmp.size()));
    EXPECT_EQ(0, SDL_SaveBMP_RW(s, out, 0)) << SDL_GetError();
    bmp.resize(static_cast<size_t>(SDL_RWtell(out)));
    SDL_RWclose(out);
    return bmp;
}

// Makes the graphics anew from another atlas picture; the bytes must outlive
// the graphics.
inline bool useAtlas(const std::vector<unsigned char>& bmp) {
    setAtlasPicture({bmp.data(), static_cast<unsigned int>(bmp.size())});
    freeGraphics();
    return initGraphics();
}

// Rebuilds the graphics from the colour atlas: a flat colour per cell.
inline void installColourAtlas() {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 2080, 1120, 24, SDL_PIXELFORMAT_BGR24);
    ASSERT_NE(nullptr, s);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 128, 0));
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = 1; rank <= 13; ++rank) {
            SDL_Rect cell = {(rank - 1) * 160, suit * 224, 160, 224};
            Rgb c = faceColour(suit, rank);
            SDL_FillRect(s, &cell, SDL_MapRGB(s->format, c.r, c.g, c.b));
        }
    SDL_Rect back = {0, 896, 160, 224};
    SDL_FillRect(s, &back, SDL_MapRGB(s->format, backColour.r, backColour.g, backColour.b));
    static std::vector<unsigned char> bmp;
    bmp = encodeBmp(s);
    SDL_FreeSurface(s);
    ASSERT_TRUE(useAtlas(bmp)) << SDL_GetError();
}
