// The card atlas picture on the CPU, on small pictures made here: the BMP
// header checked, and the cells reduced by the 2 x 2 mean, by area averaging
// and enlarged by interpolation, each cell from its own pixels only. No
// renderer, no video.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "presentation/AtlasImage.h"

namespace {

struct Colour {
    int r, g, b;
    bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

void putLittle(std::vector<unsigned char>& bytes, size_t at, Uint32 value, int count) {
    for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A BMP of 24 bits per pixel as the atlas is compiled in: a 54-byte header,
// rows bottom-up, each padded to whole 4 bytes; pixel (x, y) counted from the
// top-left corner.
std::vector<unsigned char> bmpOf(int width, int height, const std::function<Colour(int, int)>& pixel) {
    const size_t rowBytes = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
    std::vector<unsigned char> bmp(54 + rowBytes * height, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    putLittle(bmp, 2, static_cast<Uint32>(bmp.size()), 4);
    putLittle(bmp, 10, 54, 4);
    putLittle(bmp, 14, 40, 4);
    putLittle(bmp, 18, static_cast<Uint32>(width), 4);
    putLittle(bmp, 22, static_cast<Uint32>(height), 4);
    putLittle(bmp, 26, 1, 2);
    putLittle(bmp, 28, 24, 2);
    putLittle(bmp, 34, static_cast<Uint32>(rowBytes * height), 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour c = pixel(x, y);
            unsigned char* p = &bmp[54 + (height - 1 - y) * rowBytes + 3 * x];
            p[0] = static_cast<unsigned char>(c.b);
            p[1] = static_cast<unsigned char>(c.g);
            p[2] = static_cast<unsigned char>(c.r);
        }
    return bmp;
}

// The cells of a picture reduced to slots of the given size.
struct Reduced {
    int width = 0, height = 0;
    std::vector<Uint32> argb;
    Colour at(int x, int y) const {
        const Uint32 p = argb[static_cast<size_t>(y) * width + x];
        return {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF), static_cast<int>(p & 0xFF)};
    }
    bool opaque() const {
        for (Uint32 p : argb)
            if (p >> 24 != 0xFF) return false;
        return true;
    }
};

Reduced reduce(const std::vector<unsigned char>& bmp, const AtlasGrid& grid, int slotWidth, int slotHeight) {
    Reduced out;
    const unsigned char* pixels = atlasPixels(bmp.data(), bmp.size(), grid);
    EXPECT_NE(nullptr, pixels) << SDL_GetError();
    if (!pixels) return out;
    out.width = grid.columns * slotWidth;
    out.height = grid.rows * slotHeight;
    // A row wider than the cells: the pitch is honoured, nothing lands past a row's end.
    const int stride = out.width + 3;
    std::vector<Uint32> rows(static_cast<size_t>(stride) * out.height, 0x12345678u);
    reduceAtlasCells(pixels, grid, slotWidth, slotHeight, rows.data(), stride * 4);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) out.argb.push_back(rows[static_cast<size_t>(y) * stride + x]);
        for (int x = out.width; x < stride; ++x)
            EXPECT_EQ(0x12345678u, rows[static_cast<size_t>(y) * stride + x]) << "written past row " << y;
    }
    return out;
}

// A colour that differs from pixel to pixel and channel to channel.
Colour busy(int x, int y) { return {(x * 37 + y * 11) % 256, (x * 13 + y * 71 + 5) % 256, (x * x + 3 * y) % 256}; }

TEST(AtlasImage, AtHalfTheCellSizeEachPixelIsTheMeanOfItsBlock) {
    // Three cells across, two down, of 2 x 2 pixels: rows of 18 bytes, padded to 20.
    const AtlasGrid grid = {3, 2, 2, 2};
    const Reduced r = reduce(bmpOf(6, 4, busy), grid, 1, 1);
    ASSERT_EQ(6u, r.argb.size());
    EXPECT_TRUE(r.opaque());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            int sum[3] = {0, 0, 0};
            for (int k = 0; k < 4; ++k) {
                const Colour c = busy(2 * x + k % 2, 2 * y + k / 2);
                sum[0] += c.r;
                sum[1] += c.g;
                sum[2] += c.b;
            }
            const Colour mean = {(sum[0] + 2) / 4, (sum[1] + 2) / 4, (sum[2] + 2) / 4};
            EXPECT_EQ(mean, r.at(x, y)) << "cell " << x << "," << y;
        }
}

// Reduced, a pixel is the mean of the source area it covers, partly covered
// pixels weighed by their share; the weights are whole 256ths, so the mean
// may be off by one step.
TEST(AtlasImage, ReducedPixelsAverageTheAreaTheyCover) {
    const struct Case { int cellWidth, slotWidth; } cases[] = {{6, 2}, {6, 3}, {5, 2}, {7, 3}, {12, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.cellWidth) + " to " + std::to_string(c.slotWidth));
        // Two cells side by side, two rows high; the rows are not reduced.
        const AtlasGrid grid = {2, 1, c.cellWidth, 2};
        const Reduced r = reduce(bmpOf(2 * c.cellWidth, 2, busy), grid, c.slotWidth, 2);
        const double ratio = static_cast<double>(c.cellWidth) / c.slotWidth;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < r.width; ++x) {
                const int cell = x / c.slotWidth;
                const double from = (x % c.slotWidth) * ratio, to = from + ratio;
                double mean[3] = {0, 0, 0};
                for (int s = 0; s < c.cellWidth; ++s) {
                    const double share = std::max(0.0, std::min(to, s + 1.0) - std::max(from, 1.0 * s)) / ratio;
                    const Colour source = busy(cell * c.cellWidth + s, y);
                    mean[0] += share * source.r;
                    mean[1] += share * source.g;
                    mean[2] += share * source.b;
                }
                const Colour got = r.at(x, y);
                EXPECT_NEAR(mean[0], got.r, 1.0) << "pixel " << x << "," << y;
                EXPECT_NEAR(mean[1], got.g, 1.0) << "pixel " << x << "," << y;
                EXPECT_NEAR(mean[2], got.b, 1.0) << "pixel " << x << "," << y;
            }
    }
}

// However a cell is reduced or enlarged, a cell of one colour stays exactly
// that colour (the weights neither brighten nor darken), and no pixel takes
// anything from a neighbouring cell.
TEST(AtlasImage, EveryCellKeepsItsOwnColourAtAnySize) {
    const AtlasGrid grid = {3, 2, 6, 4};
    auto cellColour = [](int column, int row) {
        return Colour{40 + 70 * column, 250 - 90 * row, 17 + 50 * column * row};
    };
    const std::vector<unsigned char> bmp = bmpOf(18, 8, [&](int x, int y) { return cellColour(x / 6, y / 4); });
    const int slots[][2] = {{1, 1}, {2, 3}, {5, 3}, {4, 4}, {3, 2}, {7, 9}, {13, 5}};
    for (const auto& slot : slots) {
        SCOPED_TRACE(std::to_string(slot[0]) + "x" + std::to_string(slot[1]));
        const Reduced r = reduce(bmp, grid, slot[0], slot[1]);
        EXPECT_TRUE(r.opaque());
        int wrong = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                if (!(r.at(x, y) == cellColour(x / slot[0], y / slot[1])) && wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << r.at(x, y);
        EXPECT_EQ(0, wrong);
    }
}

// Enlarged, a pixel takes the linear mix of the two source pixels whose
// centres it lies between; beyond the outer centres, the outer pixel.
TEST(AtlasImage, EnlargedCellsInterpolateBetweenPixelCentres) {
    const AtlasGrid grid = {1, 1, 2, 1};
    const Reduced r = reduce(bmpOf(2, 1, [](int x, int) { return Colour{x ? 200 : 0, x ? 0 : 100, 60}; }), grid, 4, 1);
    // Centres at 0.25, 0.75, 1.25 and 1.75 source pixels; the source's at 0.5 and 1.5.
    EXPECT_EQ((Colour{0, 100, 60}), r.at(0, 0));
    EXPECT_EQ((Colour{50, 75, 60}), r.at(1, 0));
    EXPECT_EQ((Colour{150, 25, 60}), r.at(2, 0));
    EXPECT_EQ((Colour{200, 0, 60}), r.at(3, 0));
}

TEST(AtlasImage, PicturesOfAnotherKindAreRefused) {
    const AtlasGrid grid = {2, 1, 3, 2};  // 6 x 2 pixels
    const std::vector<unsigned char> good = bmpOf(6, 2, busy);
    ASSERT_EQ(good.data() + 54, atlasPixels(good.data(), good.size(), grid));

    struct Case {
        const char* what;
        std::function<void(std::vector<unsigned char>&)> spoil;
    } cases[] = {
        {"not BM", [](std::vector<unsigned char>& b) { b[1] = 'A'; }},
        {"an older, shorter information header", [](std::vector<unsigned char>& b) { putLittle(b, 14, 12, 4); }},
        {"another width", [](std::vector<unsigned char>& b) { putLittle(b, 18, 7, 4); }},
        {"another height", [](std::vector<unsigned char>& b) { putLittle(b, 22, 3, 4); }},
        {"rows stored top-down", [](std::vector<unsigned char>& b) { putLittle(b, 22, static_cast<Uint32>(-2), 4); }},
        {"32 bits per pixel", [](std::vector<unsigned char>& b) { putLittle(b, 28, 32, 2); }},
        {"8 bits per pixel", [](std::vector<unsigned char>& b) { putLittle(b, 28, 8, 2); }},
        {"compressed", [](std::vector<unsigned char>& b) { putLittle(b, 30, 1, 4); }},
        {"the last row cut short", [](std::vector<unsigned char>& b) { b.pop_back(); }},
        {"pixel data said to start too late", [](std::vector<unsigned char>& b) { putLittle(b, 10, 55, 4); }},
        {"pixel data said to start past the end",
         [](std::vector<unsigned char>& b) { putLittle(b, 10, 0xFFFFFFF0u, 4); }},
        {"a header alone", [](std::vector<unsigned char>& b) { b.resize(54); }},
        {"less than a header", [](std::vector<unsigned char>& b) { b.resize(53); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> bmp = good;
        c.spoil(bmp);
        SDL_ClearError();
        EXPECT_EQ(nullptr, atlasPixels(bmp.data(), bmp.size(), grid));
        EXPECT_STREQ("the card atlas is not a 6 x 2 BMP of 24 bits per pixel", SDL_GetError());
    }
}

}  // namespace
