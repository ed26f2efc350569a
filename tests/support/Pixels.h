// Colours and pixels read back from the renderer, for the application tests:
// a render target (the frame buffer, the victory trail) or the whole window.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <vector>

#include "presentation/Graphics.h"
#include "presentation/Table.h"
#include "presentation/VictoryTesting.h"
#include "window/Window.h"

// A colour as the tests compare it: red, green and blue, 0 to 255 each.
struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// Pixels read back row by row as ARGB8888.
struct Pixels {
    int width = 0, height = 0;
    std::vector<Uint32> argb;

    // The pixel as read, alpha included.
    Uint32 raw(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }

    // The pixel's colour; in the frame buffer at scale 1 a table unit is one pixel.
    Rgb at(int x, int y) const {
        const Uint32 p = raw(x, y);
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
    }

    // The opacity of a pixel as read, 0 to 255.
    static int alpha(Uint32 p) { return static_cast<int>(p >> 24); }

    // Pixels of colour c in a rectangle.
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

// The current renderer target as it stands, its top-left `width` x `height` pixels.
inline Pixels readTarget(int width, int height) {
    Pixels p;
    p.width = width;
    p.height = height;
    p.argb.resize(static_cast<size_t>(width) * height);
    const SDL_Rect area = {0, 0, width, height};
    EXPECT_EQ(0, SDL_RenderReadPixels(renderer, &area, SDL_PIXELFORMAT_ARGB8888, p.argb.data(), width * 4))
        << SDL_GetError();
    return p;
}

// A target texture as it stands; the renderer's target is left as it was.
// Of the frame buffer and the victory trail, the frame's area.
inline Pixels readPixels(SDL_Texture* texture) {
    int width = 0, height = 0;
    SDL_QueryTexture(texture, nullptr, nullptr, &width, &height);
    if (texture == frameBuffer || texture == winFlight().winTrail) {
        width = frameArea().w;
        height = frameArea().h;
    }
    SDL_Texture* previous = SDL_GetRenderTarget(renderer);
    SDL_SetRenderTarget(renderer, texture);
    Pixels p = readTarget(width, height);
    SDL_SetRenderTarget(renderer, previous);
    return p;
}

// The whole window, bars beside the table included: read without the
// logical size, which is then set back to the table's.
inline Pixels readWindow() {
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    SDL_Texture* previous = SDL_GetRenderTarget(renderer);
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_RenderSetLogicalSize(renderer, 0, 0);
    Pixels p = readTarget(width, height);
    SDL_RenderSetLogicalSize(renderer, W, H);
    SDL_SetRenderTarget(renderer, previous);
    return p;
}
