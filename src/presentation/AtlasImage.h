// The card atlas picture decoded and reduced on the CPU: from the bytes of a
// BMP of a grid of equal cells to the cells at any pixel size, without a
// renderer. The render surface (Graphics.cpp) makes the atlas texture of it.
#pragma once

#include <SDL.h>

#include <cstddef>

// The grid of a picture: columns x rows cells of cellWidth x cellHeight
// pixels each.
struct AtlasGrid {
    int columns, rows;
    int cellWidth, cellHeight;
};

// The pixel data of bmp (size bytes) when it is an uncompressed BMP of 24
// bits per pixel, rows bottom-up, exactly as large as the grid says; null
// otherwise, with SDL's error naming the size and depth wanted.
const unsigned char* atlasPixels(const unsigned char* bmp, size_t size, const AtlasGrid& grid);

// Every cell of the picture whose pixel data atlasPixels found, reduced to
// slotWidth x slotHeight (each at least 1) and written as opaque ARGB8888
// into `cells`: grid.columns * slotWidth by grid.rows * slotHeight pixels,
// rows top-down, `pitch` bytes apart. At half the cell's size each pixel is
// the mean of the 2 x 2 block it covers; at other sizes the area it covers is
// averaged, or, enlarged, interpolated linearly.
void reduceAtlasCells(const unsigned char* pixels, const AtlasGrid& grid, int slotWidth, int slotHeight, Uint32* cells,
                      int pitch);
