// The card atlas picture: the BMP header checked, the cells reduced from the
// BMP's own bytes. Decoding the whole picture first would cost some 15 ms.
#include "presentation/AtlasImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

Uint32 readLittle(const unsigned char* p, int bytes) {
    Uint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// A row of the picture in bytes: 3 a pixel, padded to whole 4 bytes.
size_t rowBytesOf(const AtlasGrid& grid) {
    return (3 * static_cast<size_t>(grid.columns * grid.cellWidth) + 3) / 4 * 4;
}

// Where each reduced pixel takes its colour from along one axis of a cell:
// the source pixels under its footprint, weighted by their overlap, in
// 256ths. Reducing averages the area a pixel covers; enlarging, the
// footprint is one source pixel wide and the weights are those of linear
// interpolation.
struct Taps {
    std::vector<int> first, count;
    std::vector<Uint32> weights;  // maxTaps per reduced pixel, summing to 256
    int maxTaps = 0;
};

Taps tapsFor(int sourceSize, int reducedSize) {
    Taps taps;
    double ratio = static_cast<double>(sourceSize) / reducedSize;
    double width = std::max(ratio, 1.0);
    taps.maxTaps = static_cast<int>(std::ceil(width)) + 1;
    taps.weights.assign(static_cast<size_t>(reducedSize) * taps.maxTaps, 0);
    for (int d = 0; d < reducedSize; ++d) {
        double centre = (d + 0.5) * ratio;
        double low = std::max(0.0, centre - width / 2);
        double high = std::min(static_cast<double>(sourceSize), centre + width / 2);
        int first = std::min(static_cast<int>(low), sourceSize - 1);
        int last = std::max(first + 1, std::min(sourceSize, static_cast<int>(std::ceil(high))));
        last = std::min(last, first + taps.maxTaps);
        taps.first.push_back(first);
        taps.count.push_back(last - first);
        Uint32* w = &taps.weights[static_cast<size_t>(d) * taps.maxTaps];
        double span = std::max(high - low, 1e-9);
        Uint32 given = 0;
        for (int i = first; i < last; ++i) {
            double overlap = std::max(0.0, std::min(high, i + 1.0) - std::max(low, static_cast<double>(i)));
            w[i - first] = static_cast<Uint32>(std::lround(256 * overlap / span));
            given += w[i - first];
        }
        // Rounding must not brighten or darken: the largest weight takes the rest.
        Uint32* largest = std::max_element(w, w + (last - first));
        *largest = *largest + 256 - given;
    }
    return taps;
}

void resample(const unsigned char* pixels, const AtlasGrid& grid, int slotWidth, int slotHeight, Uint32* cells,
              int pitch) {
    const int height = grid.rows * grid.cellHeight;
    const size_t rowBytes = rowBytesOf(grid);
    const int cellsWidth = grid.columns * slotWidth, cellsHeight = grid.rows * slotHeight;
    Taps across = tapsFor(grid.cellWidth, slotWidth);
    Taps down = tapsFor(grid.cellHeight, slotHeight);
    // Per reduced column: its first source byte in a row, its taps.
    std::vector<size_t> offsets(cellsWidth);
    std::vector<const Uint32*> columnWeights(cellsWidth);
    std::vector<int> columnTaps(cellsWidth);
    for (int x = 0; x < cellsWidth; ++x) {
        int column = x / slotWidth, dx = x % slotWidth;
        offsets[x] = 3 * static_cast<size_t>(column * grid.cellWidth + across.first[dx]);
        columnWeights[x] = &across.weights[static_cast<size_t>(dx) * across.maxTaps];
        columnTaps[x] = across.count[dx];
    }
    std::vector<Uint32> sums(3 * static_cast<size_t>(cellsWidth));
    for (int y = 0; y < cellsHeight; ++y) {
        int row = y / slotHeight, dy = y % slotHeight;
        const Uint32* wy = &down.weights[static_cast<size_t>(dy) * down.maxTaps];
        std::fill(sums.begin(), sums.end(), 0);
        for (int j = 0; j < down.count[dy]; ++j) {
            // Rows are stored from the bottom up.
            const unsigned char* line =
                pixels + static_cast<size_t>(height - 1 - (row * grid.cellHeight + down.first[dy] + j)) * rowBytes;
            Uint32 weight = wy[j];
            Uint32* sum = sums.data();
            for (int x = 0; x < cellsWidth; ++x, sum += 3) {
                const unsigned char* p = line + offsets[x];
                const Uint32* wx = columnWeights[x];
                Uint32 b = 0, g = 0, r = 0;
                for (int i = 0; i < columnTaps[x]; ++i, p += 3) {
                    b += wx[i] * p[0];
                    g += wx[i] * p[1];
                    r += wx[i] * p[2];
                }
                sum[0] += weight * b;
                sum[1] += weight * g;
                sum[2] += weight * r;
            }
        }
        Uint32* out = reinterpret_cast<Uint32*>(reinterpret_cast<Uint8*>(cells) + static_cast<size_t>(y) * pitch);
        const Uint32* sum = sums.data();
        for (int x = 0; x < cellsWidth; ++x, sum += 3)
            out[x] = 0xFF000000u | (sum[2] + 32768) >> 16 << 16 | (sum[1] + 32768) >> 16 << 8 | (sum[0] + 32768) >> 16;
    }
}

// At half the cell's size every reduced pixel is the mean of a 2 x 2 block:
// the common case (the table's own size), kept fast for start-up.
void halve(const unsigned char* pixels, const AtlasGrid& grid, Uint32* cells, int pitch) {
    const int height = grid.rows * grid.cellHeight;
    const size_t rowBytes = rowBytesOf(grid);
    const int cellsWidth = grid.columns * grid.cellWidth / 2, cellsHeight = grid.rows * grid.cellHeight / 2;
    for (int y = 0; y < cellsHeight; ++y) {
        // Rows are stored from the bottom up.
        const unsigned char* upper = pixels + static_cast<size_t>(height - 1 - 2 * y) * rowBytes;
        const unsigned char* lower = upper - rowBytes;
        Uint32* out = reinterpret_cast<Uint32*>(reinterpret_cast<Uint8*>(cells) + static_cast<size_t>(y) * pitch);
        for (int x = 0; x < cellsWidth; ++x, upper += 6, lower += 6) {
            Uint32 b = upper[0] + upper[3] + lower[0] + lower[3] + 2;
            Uint32 g = upper[1] + upper[4] + lower[1] + lower[4] + 2;
            Uint32 r = upper[2] + upper[5] + lower[2] + lower[5] + 2;
            out[x] = 0xFF000000u | (r >> 2) << 16 | (g >> 2) << 8 | (b >> 2);
        }
    }
}

}  // namespace

const unsigned char* atlasPixels(const unsigned char* bmp, size_t size, const AtlasGrid& grid) {
    const int width = grid.columns * grid.cellWidth, height = grid.rows * grid.cellHeight;
    const size_t pixelBytes = rowBytesOf(grid) * height;
    if (size < 54 || bmp[0] != 'B' || bmp[1] != 'M' || readLittle(bmp + 14, 4) < 40 ||
        readLittle(bmp + 18, 4) != static_cast<Uint32>(width) ||
        readLittle(bmp + 22, 4) != static_cast<Uint32>(height) || readLittle(bmp + 28, 2) != 24 ||
        readLittle(bmp + 30, 4) != 0 || size < pixelBytes || readLittle(bmp + 10, 4) > size - pixelBytes) {
        SDL_SetError("the card atlas is not a %d x %d BMP of 24 bits per pixel", width, height);
        return nullptr;
    }
    return bmp + readLittle(bmp + 10, 4);
}

void reduceAtlasCells(const unsigned char* pixels, const AtlasGrid& grid, int slotWidth, int slotHeight, Uint32* cells,
                      int pitch) {
    if (2 * slotWidth == grid.cellWidth && 2 * slotHeight == grid.cellHeight)
        halve(pixels, grid, cells, pitch);
    else
        resample(pixels, grid, slotWidth, slotHeight, cells, pitch);
}
