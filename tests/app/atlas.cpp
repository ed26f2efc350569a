// The embedded card atlas: the picture format and the cell layout that the
// card drawing depends on, read back through SDL exactly as the game loads it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "assets/Assets.h"
#include "support/Pixels.h"

namespace {

const int cellW = 160, cellH = 224;

const Rgb green{0, 128, 0};

SDL_Surface* loadAtlas() { return SDL_LoadBMP_RW(SDL_RWFromConstMem(card_atlas_bmp, int(card_atlas_bmp_size)), 1); }

// The atlas in a byte order we can read directly.
struct Atlas {
    SDL_Surface* rgba = nullptr;
    Atlas() {
        SDL_Surface* loaded = loadAtlas();
        if (loaded) {
            rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
            SDL_FreeSurface(loaded);
        }
    }
    ~Atlas() { SDL_FreeSurface(rgba); }
    Rgb at(int x, int y) const {
        const Uint8* p = static_cast<const Uint8*>(rgba->pixels) + y * rgba->pitch + x * 4;
        return {p[0], p[1], p[2]};
    }
    Rgb inCell(int col, int row, int x, int y) const { return at(col * cellW + x, row * cellH + y); }
};

bool whiteish(Rgb c) { return c.r >= 240 && c.g >= 240 && c.b >= 240; }

TEST(CardAtlas, IsA24BitBmpOfThirteenByFiveCells) {
    ASSERT_EQ(card_atlas_bmp_size, 6988854u);
    EXPECT_EQ(0, std::memcmp(card_atlas_bmp, "BM", 2));

    SDL_Surface* atlas = loadAtlas();
    ASSERT_NE(atlas, nullptr) << SDL_GetError();
    EXPECT_EQ(atlas->w, 13 * cellW);
    EXPECT_EQ(atlas->h, 5 * cellH);
    EXPECT_EQ(atlas->w, 2080);
    EXPECT_EQ(atlas->h, 1120);
    EXPECT_EQ(atlas->format->BitsPerPixel, 24);
    EXPECT_EQ(atlas->format->Amask, 0u) << "the atlas is copied opaque";
    SDL_FreeSurface(atlas);
}

TEST(CardAtlas, CardsStandInTheirCellsOnTableGreen) {
    Atlas atlas;
    ASSERT_NE(atlas.rgba, nullptr) << SDL_GetError();

    // Outside the rounded corners of every card, the table shows through.
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < (row < 4 ? 13 : 1); ++col)
            for (int x : {0, cellW - 1})
                for (int y : {0, cellH - 1})
                    EXPECT_EQ(atlas.inCell(col, row, x, y), green)
                        << "corner " << x << "," << y << " of cell " << col << "," << row;

    // Row 4 holds only the back; the rest is plain table.
    for (int col = 1; col < 13; ++col)
        for (int x : {0, cellW / 2, cellW - 1})
            for (int y : {0, cellH / 2, cellH - 1})
                EXPECT_EQ(atlas.inCell(col, 4, x, y), green) << "unused cell " << col;

    // The ace of spades: a white face below its single central pip.
    EXPECT_TRUE(whiteish(atlas.inCell(0, 0, 80, 180))) << atlas.inCell(0, 0, 80, 180);
    EXPECT_TRUE(whiteish(atlas.inCell(0, 0, 40, 150))) << atlas.inCell(0, 0, 40, 150);

    // Suit rows in order: the aces' pips are black, red, red, black.
    const Rgb red{230, 24, 10}, black{0, 0, 0};
    EXPECT_EQ(atlas.inCell(0, 1, 80, 112), red);
    EXPECT_EQ(atlas.inCell(0, 2, 80, 112), red);
    EXPECT_EQ(atlas.inCell(0, 3, 80, 112), black);

    // The back is a card, not table, in its middle, on cream.
    Rgb middle = atlas.inCell(0, 4, cellW / 2, cellH / 2);
    EXPECT_FALSE(middle == green) << middle;
    EXPECT_FALSE(whiteish(middle)) << middle;
    EXPECT_EQ(atlas.inCell(0, 4, 20, 64), (Rgb{250, 245, 231}));
}

}  // namespace
