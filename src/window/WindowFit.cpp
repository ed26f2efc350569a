// The window fitting's arithmetic: sizes and places as exact fractions.
#include "window/WindowFit.h"

#include <algorithm>
#include <climits>

#include "presentation/Table.h"

namespace {

// The scale factors are kept as exact fractions: in doubles, 701 / 650 * 650
// floors to 700 and 266 / 760 * 650 (227.5) rounds down, each a unit short.
struct Ratio {
    long long num, den;  // den > 0
};

bool operator<(Ratio a, Ratio b) { return a.num * b.den < b.num * a.den; }

Ratio smaller(Ratio a, Ratio b) { return b < a ? b : a; }

// Nearest integer, halves away from zero; for num >= 0.
long long rounded(long long num, long long den) { return (2 * num + den) / (2 * den); }

int clamped(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// The largest table-shaped size at the given scale.
SDL_Point tableSizeAt(Ratio scale) {
    return {clamped(std::max(1LL, rounded(scale.num * W, scale.den))),
            clamped(std::max(1LL, rounded(scale.num * H, scale.den)))};
}

// Desktops set 120 dpi and more for a scale worth following; below, the
// points are taken for pixels.
const int plainDpi = 96;
const int scaledFromDpi = 120;

}  // namespace

SDL_Point windowFitSize(int w, int h, bool maximized, int lastWidth, int lastHeight, const WindowBorders& borders,
                        const SDL_Rect* usable) {
    // The room the usable area leaves for the window inside its frame.
    long long roomWide = 1, roomHigh = 1;
    if (usable) {
        roomWide = std::max(1LL, 1LL * usable->w - borders.left - borders.right);
        roomHigh = std::max(1LL, 1LL * usable->h - borders.top - borders.bottom);
    }
    // The window manager may mark the window maximised before it sends the
    // new size: the size read then is the old one, so a maximised window is
    // measured by the room it is given, not by what it reports.
    if (maximized && usable) {
        w = clamped(roomWide);
        h = clamped(roomHigh);
    }
    SDL_Point next = {w, h};
    if (w != lastWidth && h == lastHeight && !maximized) {
        next.y = clamped(std::max(1LL, rounded(1LL * H * w, W)));
    } else if (h != lastHeight && w == lastWidth && !maximized) {
        next.x = clamped(std::max(1LL, rounded(1LL * W * h, H)));
    } else {
        next = tableSizeAt(smaller({w, W}, {h, H}));
    }
    if (usable) {
        const Ratio limit = smaller({roomWide, W}, {roomHigh, H});
        if (limit < smaller({next.x, W}, {next.y, H})) {
            next.x = clamped(std::max(1LL, limit.num * W / limit.den));
            next.y = clamped(std::max(1LL, limit.num * H / limit.den));
        }
    }
    return next;
}

// SDL places the client area, so its top-left corner must stay inside the
// area by the left and top borders: otherwise the title bar ends above the
// screen, where the window can no longer be grabbed.
SDL_Point windowFitPosition(int x, int y, SDL_Point size, bool maximized, const WindowBorders& borders,
                            const SDL_Rect& usable) {
    const long long firstX = 1LL * usable.x + borders.left;
    const long long firstY = 1LL * usable.y + borders.top;
    const long long lastX = std::max(firstX, 1LL * usable.x + usable.w - size.x - borders.right);
    const long long lastY = std::max(firstY, 1LL * usable.y + usable.h - size.y - borders.bottom);
    if (maximized) return {clamped(firstX + (lastX - firstX) / 2), clamped(firstY + (lastY - firstY) / 2)};
    return {clamped(std::clamp<long long>(x, firstX, lastX)), clamped(std::clamp<long long>(y, firstY, lastY))};
}

SDL_Point startSizeAtDpi(SDL_Point size, int dpi) {
    if (dpi < scaledFromDpi) return size;
    return {clamped(std::max(1LL, rounded(1LL * size.x * dpi, plainDpi))),
            clamped(std::max(1LL, rounded(1LL * size.y * dpi, plainDpi)))};
}
