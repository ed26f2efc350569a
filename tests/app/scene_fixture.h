// Shared by the render surface and scene tests: the headless application,
// an atlas whose cells are plain colours that name their card, and frame
// buffer read-back in table units.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "interaction/Actions.h"
#include "interaction/Pointer.h"
#include "presentation/Graphics.h"
#include "presentation/Scene.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "sound/CardAudio.h"
#include "support/Headless.h"
#include "support/TableState.h"

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

const Rgb tableGreen = {0, 128, 0};
const Rgb darkGreen = {0, 64, 0};
const Rgb lightGreen = {64, 176, 64};
const Rgb markGreen = {0, 96, 0};
const Rgb gold = {255, 210, 0};
const Rgb panelGrey = {192, 192, 192};
const Rgb navy = {0, 0, 128};
const Rgb backColour = {200, 30, 200};

inline Rgb faceColour(int suit, int rank) { return {rank * 18, 60 + suit * 40, 230}; }
inline Rgb cardColour(sol::Card c) { return c.up ? faceColour(c.suit, c.rank) : backColour; }

// The frame buffer as it stands, read back pixel by pixel.
struct Frame {
    int width = 0, height = 0;
    std::vector<Uint32> pixels;

    static Frame read() {
        Frame f;
        f.width = bufferWidth;
        f.height = bufferHeight;
        f.pixels.resize(static_cast<size_t>(f.width) * f.height);
        SDL_Texture* previous = SDL_GetRenderTarget(renderer);
        SDL_SetRenderTarget(renderer, frameBuffer);
        EXPECT_EQ(0, SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, f.pixels.data(),
                                          f.width * 4))
            << SDL_GetError();
        SDL_SetRenderTarget(renderer, previous);
        return f;
    }

    // A table unit at scale 1 is one pixel.
    Rgb at(int x, int y) const {
        Uint32 p = pixels[static_cast<size_t>(y) * width + x];
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                static_cast<int>(p & 0xFF)};
    }

    int count(int x, int y, int w, int h, Rgb c) const {
        int n = 0;
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) n += at(xx, yy) == c;
        return n;
    }

    // Pixels that are neither of the two given colours: text strokes on a panel.
    int other(int x, int y, int w, int h, Rgb a, Rgb b) const {
        int n = 0;
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) n += at(xx, yy) != a && at(xx, yy) != b;
        return n;
    }
};

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
    cardAtlasData = bmp.data();
    cardAtlasSize = static_cast<unsigned int>(bmp.size());
    freeGraphics();
    return initGraphics();
}

// Cells of flat colour keep every card recognisable at its centre whatever
// the real artwork looks like. The graphics are rebuilt from it.
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

inline sol::Card shown(int suit, int rank) { return {suit, rank, true}; }
inline sol::Card hidden(int suit, int rank) { return {suit, rank, false}; }

// Brings the application up once per test program at 760 x 650.
class Headless : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!window) {
            ASSERT_TRUE(startHeadless()) << SDL_GetError();
            installColourAtlas();
        }
    }
    void SetUp() override {
        ASSERT_NE(nullptr, renderer);
        SDL_SetWindowSize(window, 760, 650);
        ASSERT_TRUE(resizeGraphics());
        ASSERT_EQ(760, bufferWidth);
        flushTextCache();
        clearTable();
    }
};
