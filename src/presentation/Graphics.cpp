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
SDL_Texture* cardCells = nullptr;
int cardSlotWidth = 80, cardSlotHeight = 112;
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
const int atlasColumns = 13;
const int atlasRows = 5;

TTF_Font* openFont(double scale, int points) {
    int size = std::max(smallestPoints, static_cast<int>(std::lround(scale * points)));
    return TTF_OpenFontRW(SDL_RWFromConstMem(font_ttf, static_cast<int>(font_ttf_size)), 1, size);
}

// The atlas the present cells were reduced from; tells a new atlas apart.
SDL_Texture* cellsAtlas = nullptr;

void dropCardCells() {
    if (cardCells) SDL_DestroyTexture(cardCells);
    cardCells = nullptr;
    cellsAtlas = nullptr;
}

// Reducing the atlas every frame costs the software GL rasteriser several
// milliseconds per frame; reduced once, each card is a one-to-one copy.
void buildCardCells() {
    dropCardCells();
    cellsAtlas = cardAtlas;
    if (!cardAtlas) return;
    int slotWidth = std::max(1, static_cast<int>(std::lround(CW * drawingScaleX)));
    int slotHeight = std::max(1, static_cast<int>(std::lround(CH * drawingScaleY)));
    SDL_Texture* cells = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA8888, SDL_TEXTUREACCESS_TARGET,
                                           atlasColumns * slotWidth, atlasRows * slotHeight);
    if (!cells) return;
    SDL_SetTextureScaleMode(cells, SDL_ScaleModeNearest);
    SDL_Texture* previous = SDL_GetRenderTarget(renderer);
    if (SDL_SetRenderTarget(renderer, cells) != 0) {
        SDL_DestroyTexture(cells);
        return;
    }
    SDL_SetRenderDrawColor(renderer, 0, 128, 0, 255);
    SDL_RenderClear(renderer);
    for (int row = 0; row < atlasRows; ++row)
        for (int column = 0; column < atlasColumns; ++column) {
            SDL_Rect source = {column * 2 * CW, row * 2 * CH, 2 * CW, 2 * CH};
            SDL_Rect slot = {column * slotWidth, row * slotHeight, slotWidth, slotHeight};
            SDL_RenderCopy(renderer, cardAtlas, &source, &slot);
        }
    // The window brings its own logical scale back; a texture target needs
    // the drawing scale again.
    SDL_SetRenderTarget(renderer, previous);
    if (previous) SDL_RenderSetScale(renderer, drawingScaleX, drawingScaleY);
    cardCells = cells;
    cardSlotWidth = slotWidth;
    cardSlotHeight = slotHeight;
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
    dropCardCells();
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
    if (frameBuffer && bufferWidth == targetWidth && bufferHeight == targetHeight) {
        if (cellsAtlas != cardAtlas) buildCardCells();
        return true;
    }

    SDL_Texture* nextBuffer = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA8888,
                                                SDL_TEXTUREACCESS_TARGET, targetWidth, targetHeight);
    if (!nextBuffer) return false;
    // The buffer is the fitted area's own pixel size, so its copy to the
    // window is one to one: nearest sampling gives the same pixels as
    // linear, and the software GL rasteriser does it at a fraction of the cost.
    SDL_SetTextureScaleMode(nextBuffer, SDL_ScaleModeNearest);
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
    buildCardCells();
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
