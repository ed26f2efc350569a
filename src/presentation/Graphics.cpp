// The render surface: card atlas, off-screen frame buffer sized to the
// table's fitted area in output pixels, drawing scale, scaled fonts, the text
// cache and the drawing primitives in table units.
#include "presentation/Graphics.h"

#include <algorithm>
#include <cmath>

#include "assets/Assets.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "shell/Startup.h"

SDL_Texture* cardAtlas = nullptr;
SDL_Texture* frameBuffer = nullptr;
int bufferWidth = 760, bufferHeight = 650;
float drawingScaleX = 1.0f, drawingScaleY = 1.0f;
TTF_Font* font = nullptr;
TTF_Font* large = nullptr;
std::map<TextKey, TextImage> textImages;
const SDL_Color black = {0, 0, 0, 255};
const SDL_Color white = {255, 255, 255, 255};

namespace {

const int fontPoints = 16;
const int largePoints = 28;
const int smallestPoints = 8;
// Flushing whole keeps the bound without bookkeeping per entry; the texts of
// one frame are few, so a flush costs one frame of re-rendering.
const size_t textCacheLimit = 256;

TTF_Font* openFont(double scale, int points) {
    int size = std::max(smallestPoints, static_cast<int>(std::lround(scale * points)));
    return TTF_OpenFontRW(SDL_RWFromConstMem(font_ttf, static_cast<int>(font_ttf_size)), 1, size);
}

void flushTextCache() {
    for (auto& entry : textImages) SDL_DestroyTexture(entry.second.texture);
    textImages.clear();
}

}  // namespace

bool initGraphics() {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    SDL_RWops* stream = SDL_RWFromConstMem(card_atlas_bmp, static_cast<int>(card_atlas_bmp_size));
    SDL_Surface* surface = SDL_LoadBMP_RW(stream, 1);
    if (!surface) return false;
    SDL_Texture* atlas = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    if (!atlas) return false;
    if (cardAtlas) SDL_DestroyTexture(cardAtlas);
    cardAtlas = atlas;
    return resizeGraphics();
}

void freeGraphics() {
    flushTextCache();
    if (cardAtlas) SDL_DestroyTexture(cardAtlas);
    cardAtlas = nullptr;
    if (frameBuffer) SDL_DestroyTexture(frameBuffer);
    frameBuffer = nullptr;
    dropWinTrail();
}

bool resizeGraphics() {
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(renderer, &width, &height) != 0) return false;
    double scale = std::min(width / static_cast<double>(W), height / static_cast<double>(H));
    int targetWidth = std::max(1, static_cast<int>(std::lround(scale * W)));
    int targetHeight = std::max(1, static_cast<int>(std::lround(scale * H)));
    if (frameBuffer && bufferWidth == targetWidth && bufferHeight == targetHeight) return true;

    SDL_Texture* nextBuffer = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA8888,
                                                SDL_TEXTUREACCESS_TARGET, targetWidth, targetHeight);
    if (!nextBuffer) return false;
    TTF_Font* nextFont = openFont(scale, fontPoints);
    TTF_Font* nextLarge = openFont(scale, largePoints);
    if (!nextFont || !nextLarge) {
        if (nextFont) TTF_CloseFont(nextFont);
        if (nextLarge) TTF_CloseFont(nextLarge);
        SDL_DestroyTexture(nextBuffer);
        return false;
    }

    flushTextCache();
    if (font) TTF_CloseFont(font);
    if (large) TTF_CloseFont(large);
    font = nextFont;
    large = nextLarge;
    if (frameBuffer) SDL_DestroyTexture(frameBuffer);
    frameBuffer = nextBuffer;
    // The trail was painted at the old resolution; it is repainted from its
    // imprints at the new one.
    dropWinTrail();
    bufferWidth = targetWidth;
    bufferHeight = targetHeight;
    drawingScaleX = static_cast<float>(bufferWidth) / W;
    drawingScaleY = static_cast<float>(bufferHeight) / H;
    return true;
}

void fill(int x, int y, int w, int h, SDL_Color c) {
    SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, 255);
    SDL_Rect rect = {x, y, w, h};
    SDL_RenderFillRect(renderer, &rect);
}

void line(int x, int y, int xx, int yy, SDL_Color c) {
    SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, 255);
    SDL_RenderDrawLine(renderer, x, y, xx, yy);
}

void text(const std::string& s, int x, int y, SDL_Color c, bool big) {
    TextKey key(s, c.r, c.g, c.b, big);
    auto entry = textImages.find(key);
    if (entry == textImages.end()) {
        SDL_Color opaque = {c.r, c.g, c.b, 255};
        SDL_Surface* surface = TTF_RenderUTF8_Blended(big ? large : font, s.c_str(), opaque);
        if (!surface) return;
        SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
        TextImage image = {texture, surface->w, surface->h};
        SDL_FreeSurface(surface);
        if (!texture) return;
        if (textImages.size() >= textCacheLimit) flushTextCache();
        entry = textImages.emplace(key, image).first;
    }
    const TextImage& image = entry->second;
    // Drawn at its own pixel size once the render scale applies: sharp text.
    SDL_Rect rect = {x, y, static_cast<int>(std::lround(image.width / drawingScaleX)),
                     static_cast<int>(std::lround(image.height / drawingScaleY))};
    SDL_RenderCopy(renderer, image.texture, nullptr, &rect);
}

void bevel(int x, int y, int w, int h, bool sunken) {
    const SDL_Color face = {192, 192, 192, 255};
    const SDL_Color dark = {64, 64, 64, 255};
    const SDL_Color shade = {96, 96, 96, 255};
    fill(x, y, w, h, face);
    SDL_Color light = sunken ? shade : white;
    SDL_Color deep = sunken ? white : dark;
    line(x, y, x + w - 1, y, light);
    line(x, y, x, y + h - 1, light);
    line(x + w - 1, y, x + w - 1, y + h - 1, deep);
    line(x, y + h - 1, x + w - 1, y + h - 1, deep);
}
