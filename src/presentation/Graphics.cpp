// The render surface: the renderer, card atlas, off-screen frame buffer
// sized to the table's fitted area in output pixels (in a target of a size
// from a fixed series), drawing scale, scaled fonts, the text cache and the
// drawing primitives in table units, cards included.
#include "presentation/Graphics.h"

#include <sys/mman.h>
#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "assets/Assets.h"
#include "presentation/AtlasImage.h"
#include "presentation/GraphicsTesting.h"
#include "presentation/Table.h"

SDL_Renderer* renderer = nullptr;
SDL_Texture* frameBuffer = nullptr;

namespace {

bool rendererVsync = false;
// The card atlas at the drawing scale: the picture's 13 x 5 grid, reduced
// once per frame-buffer size so that every card is a one-to-one copy, with
// cells of cardSlotWidth x cardSlotHeight pixels.
SDL_Texture* cardAtlas = nullptr;
int cardSlotWidth = 80, cardSlotHeight = 112;
const unsigned char* cardAtlasData = card_atlas_bmp;
unsigned int cardAtlasSize = card_atlas_bmp_size;
// The frame's area in frameBuffer.
int bufferWidth = W, bufferHeight = H;
float drawingScaleX = 1.0f, drawingScaleY = 1.0f;
TTF_Font* font = nullptr;         // 16 points at scale 1
TTF_Font* large = nullptr;        // 28 points at scale 1
int fontSize = 0, largeSize = 0;  // their point sizes
std::map<TextKey, TextImage> textImages;
void (*frameBufferReplaced)() = nullptr;  // see onFrameBufferReplaced
unsigned failures = 0;                    // see drawingFailures

const int fontPoints = 16;
const int largePoints = 28;
const int smallestPoints = 8;
// Flushing whole keeps the bound without bookkeeping per entry; the texts of
// one frame are few, so a flush costs one frame of re-rendering.
const size_t textCacheLimit = 256;
const int atlasColumns = 13;
const int atlasRows = 5;
const int backRow = 4;
const SDL_Color gold = {255, 210, 0, 255};

// The point size of a font of `points` at scale 1 at `scale`.
int pointsAt(double scale, int points) {
    return std::max(smallestPoints, static_cast<int>(std::lround(scale * points)));
}

TTF_Font* openFont(int size) {
    return TTF_OpenFontRW(SDL_RWFromConstMem(font_ttf, static_cast<int>(font_ttf_size)), 1, size);
}

// The compiled-in picture is read only while an atlas is made; its pages go
// back to the system until the next resize.
void releaseEmbeddedAtlas() {
    if (cardAtlasData != card_atlas_bmp) return;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    // Whole pages only: the first that starts within the picture, up to the
    // last that ends within it.
    const uintptr_t intoFirst = reinterpret_cast<uintptr_t>(card_atlas_bmp) % page;
    const unsigned char* begin = card_atlas_bmp + (intoFirst ? page - intoFirst : 0);
    const unsigned char* end = card_atlas_bmp + card_atlas_bmp_size;
    end -= reinterpret_cast<uintptr_t>(end) % page;
    if (end > begin) madvise(const_cast<unsigned char*>(begin), static_cast<size_t>(end - begin), MADV_DONTNEED);
}

const AtlasGrid atlasGrid = {atlasColumns, atlasRows, 2 * CW, 2 * CH};

// The atlas's cells at slots of slotWidth x slotHeight pixels, rows of
// atlasColumns slots; allocated, not yet reduced. Null when out of memory.
std::unique_ptr<Uint32[]> cellsOf(int slotWidth, int slotHeight) {
    const size_t pixels = static_cast<size_t>(atlasColumns * slotWidth) * static_cast<size_t>(atlasRows * slotHeight);
    return std::unique_ptr<Uint32[]>(new (std::nothrow) Uint32[pixels]);
}

// The atlas for a frame of the table's own size, reduced in advance on a
// thread of its own while SDL starts, which keeps the main thread busy for
// a while; the first build at that size takes it.
struct AtlasInAdvance {
    std::thread worker;
    const unsigned char* picture = nullptr;  // the picture it is reduced from
    std::unique_ptr<Uint32[]> cells;         // CW x CH slots
    ~AtlasInAdvance() {
        if (worker.joinable()) worker.join();
    }
};
AtlasInAdvance inAdvance;

// The cells reduced in advance, once they are done, if they are of this
// picture and this slot size; null otherwise.
std::unique_ptr<Uint32[]> atlasInAdvance(int slotWidth, int slotHeight) {
    if (!inAdvance.worker.joinable()) return nullptr;
    inAdvance.worker.join();
    std::unique_ptr<Uint32[]> cells = std::move(inAdvance.cells);
    if (inAdvance.picture != cardAtlasData || slotWidth != CW || slotHeight != CH) return nullptr;
    return cells;
}

// The atlas picture reduced on the CPU to slots of the card's size in
// frame-buffer pixels. Sampling the full-size picture on the GPU every frame
// costs a software rasteriser several milliseconds, and its texture alone
// some 9 MB.
SDL_Texture* reduceAtlas(int slotWidth, int slotHeight) {
    const unsigned char* pixels = atlasPixels(cardAtlasData, cardAtlasSize, atlasGrid);
    if (!pixels) return nullptr;
    const int width = atlasColumns * slotWidth, height = atlasRows * slotHeight;
    std::unique_ptr<Uint32[]> cells = atlasInAdvance(slotWidth, slotHeight);
    if (!cells) {
        cells = cellsOf(slotWidth, slotHeight);
        if (!cells) {
            SDL_OutOfMemory();
            return nullptr;
        }
        reduceAtlasCells(pixels, atlasGrid, slotWidth, slotHeight, cells.get(), width * 4);
    }
    releaseEmbeddedAtlas();
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(cells.get(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return nullptr;
    SDL_Texture* atlas = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    // The picture is opaque: copied, not blended. One to one, nearest
    // sampling gives the pixels linear would, cheaper.
    if (atlas) SDL_SetTextureBlendMode(atlas, SDL_BLENDMODE_NONE);
    if (atlas) SDL_SetTextureScaleMode(atlas, SDL_ScaleModeNearest);
    return atlas;
}

// The output pixel that holds the middle of table unit u at a scale below 1.
int pixelOf(int u, float scale) { return static_cast<int>(std::floor((u + 0.5) * scale)); }

// A rebuild since the freed heap was last handed back.
bool rebuiltSinceHandBack = false;

// The texture size of a render target that holds a frame of width x height
// pixels: the smallest of the series that holds it; cut down to the
// renderer's largest texture, maxWidth x maxHeight (0: no limit), but never
// below the frame.
SDL_Point frameTargetSize(int width, int height, int maxWidth, int maxHeight);
// The pixel size of the area in which SDL shows the logical table on an
// output of width x height pixels: the frame buffer's size.
SDL_Point shownTableSize(int width, int height);

// SDL's OpenGL renderer keeps a framebuffer object for every size of render
// target it has been given, for the renderer's life, and with it the texture
// last drawn through it, destroyed or not. Targets from a fixed series of
// sizes hold one texture per size of the series: together less than two of
// the largest in use, however many sizes the window has had.
SDL_Point targetSize(int width, int height) {
    SDL_RendererInfo info = {};
    SDL_GetRendererInfo(renderer, &info);
    return frameTargetSize(width, height, info.max_texture_width, info.max_texture_height);
}

SDL_Texture* createTarget(int width, int height) {
    const SDL_Point size = targetSize(width, height);
    SDL_Texture* target =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA8888, SDL_TEXTUREACCESS_TARGET, size.x, size.y);
    if (!target) ++failures;
    return target;
}

bool isTargetFor(SDL_Texture* texture, int width, int height) {
    int textureWidth = 0, textureHeight = 0;
    SDL_QueryTexture(texture, nullptr, nullptr, &textureWidth, &textureHeight);
    const SDL_Point size = targetSize(width, height);
    return textureWidth == size.x && textureHeight == size.y;
}

SDL_Texture* createFrameBuffer(int width, int height) {
    SDL_Texture* buffer = createTarget(width, height);
    if (!buffer) return nullptr;
    // The frame is the fitted area's own pixel size, so its copy to the
    // window is one to one: nearest sampling gives the same pixels as
    // linear, and the software GL rasteriser does it at a fraction of the
    // cost.
    SDL_SetTextureScaleMode(buffer, SDL_ScaleModeNearest);
    // Every pixel of a composed frame is opaque: copied, not blended.
    SDL_SetTextureBlendMode(buffer, SDL_BLENDMODE_NONE);
    return buffer;
}

SDL_Point frameTargetSize(int width, int height, int maxWidth, int maxHeight) {
    // Sizes W x H times a power of the square root of two, rounded up; the
    // first that holds the frame. A series of larger steps would leave more
    // of a target unused, one of smaller steps keep more targets.
    double rungWidth = 0, rungHeight = 0;
    for (int k = -40; rungWidth < width || rungHeight < height; ++k) {
        const double factor = std::ldexp(k % 2 ? std::sqrt(2.0) : 1.0, (k - (k & 1)) / 2);
        rungWidth = std::ceil(W * factor);
        rungHeight = std::ceil(H * factor);
    }
    const double limitWidth = maxWidth > 0 ? maxWidth : INT_MAX, limitHeight = maxHeight > 0 ? maxHeight : INT_MAX;
    return {std::max(width, static_cast<int>(std::min(rungWidth, limitWidth))),
            std::max(height, static_cast<int>(std::min(rungHeight, limitHeight)))};
}

}  // namespace

SDL_Texture* createFrameTarget() { return createTarget(bufferWidth, bufferHeight); }

SDL_Texture* createOpaqueFrameTarget() { return createFrameBuffer(bufferWidth, bufferHeight); }

void drawIntoFrame(SDL_Texture* target) {
    SDL_SetRenderTarget(renderer, target);
    // A viewport of the frame's size maps table units to the very pixels a
    // target of that size would; the whole of a larger target moves some
    // edges at fractional scales by a pixel. SDL scales a viewport by the
    // render scale in force: set at scale 1.
    SDL_RenderSetScale(renderer, 1.0f, 1.0f);
    const SDL_Rect area = frameArea();
    SDL_RenderSetViewport(renderer, &area);
    SDL_RenderSetScale(renderer, drawingScaleX, drawingScaleY);
}

SDL_Rect frameArea() { return {0, 0, bufferWidth, bufferHeight}; }

SDL_FPoint drawingScale() { return {drawingScaleX, drawingScaleY}; }

namespace {

SDL_Point shownTableSize(int width, int height) {
    if (width <= 0 || height <= 0) return {1, 1};
    // As SDL lays out a logical size: the shapes compared in single
    // precision; the output's limiting side whole, the other scaled from it
    // and cut down to whole pixels.
    const float want = static_cast<float>(W) / H, real = static_cast<float>(width) / height;
    if (std::fabs(want - real) < 0.0001) return {width, height};
    if (want > real) return {width, std::max(1, static_cast<int>(std::floor(H * (static_cast<float>(width) / W))))};
    return {std::max(1, static_cast<int>(std::floor(W * (static_cast<float>(height) / H)))), height};
}

}  // namespace

unsigned drawingFailures() { return failures; }

void flushTextCache() {
    for (auto& entry : textImages) SDL_DestroyTexture(entry.second.texture);
    textImages.clear();
}

bool createRenderer(SDL_Window* window) {
    renderer = SDL_CreateRenderer(window, -1,
                                  SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE);
    if (!renderer) {
        // The second attempt's error would replace the first's.
        const std::string accelerated = SDL_GetError();
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer) {
            SDL_Log("Renderer: accelerated: %s; software: %s", accelerated.c_str(), SDL_GetError());
            return false;
        }
    }
    SDL_RendererInfo rendererInfo;
    SDL_zero(rendererInfo);
    SDL_GetRendererInfo(renderer, &rendererInfo);
    rendererVsync = (rendererInfo.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    SDL_RenderSetLogicalSize(renderer, W, H);
    return true;
}

void destroyRenderer() {
    SDL_DestroyRenderer(renderer);
    renderer = nullptr;
}

bool rendererHasVsync() { return rendererVsync; }

bool openFonts() {
    fontSize = pointsAt(1.0, fontPoints);
    largeSize = pointsAt(1.0, largePoints);
    font = openFont(fontSize);
    large = openFont(largeSize);
    return font && large;
}

void closeFonts() {
    TTF_CloseFont(font);
    font = nullptr;
    TTF_CloseFont(large);
    large = nullptr;
    fontSize = largeSize = 0;
}

void reduceAtlasInAdvance() {
    if (inAdvance.worker.joinable() || !atlasPixels(cardAtlasData, cardAtlasSize, atlasGrid)) return;
    inAdvance.picture = cardAtlasData;
    inAdvance.cells = cellsOf(CW, CH);
    if (!inAdvance.cells) return;
    const unsigned char* pixels = atlasPixels(cardAtlasData, cardAtlasSize, atlasGrid);
    Uint32* cells = inAdvance.cells.get();
    try {
        inAdvance.worker =
            std::thread([pixels, cells] { reduceAtlasCells(pixels, atlasGrid, CW, CH, cells, atlasColumns * CW * 4); });
    } catch (const std::system_error&) {
        // The first build reduces it itself.
        inAdvance.cells.reset();
    }
}

void onFrameBufferReplaced(void (*drop)()) { frameBufferReplaced = drop; }

bool initGraphics() {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // The first resize always builds: the atlas, the frame buffer, the fonts.
    return resizeGraphics();
}

void freeGraphics() {
    flushTextCache();
    if (cardAtlas) SDL_DestroyTexture(cardAtlas);
    cardAtlas = nullptr;
    if (frameBuffer) SDL_DestroyTexture(frameBuffer);
    frameBuffer = nullptr;
    if (frameBufferReplaced) frameBufferReplaced();
}

namespace {

// What a rebuild for a new frame size makes before it replaces anything.
struct Rebuild {
    int width, height;              // the frame
    SDL_Texture* buffer = nullptr;  // null: the frame buffer holds the new frame too
    TTF_Font* font = nullptr;
    TTF_Font* large = nullptr;
    int fontSize = 0, largeSize = 0;
    SDL_Texture* atlas = nullptr;
    int slotWidth = 0, slotHeight = 0;
};

// The frame buffer, fonts and atlas for next's frame at `scale` (the fonts')
// made; false, with nothing kept, when any of them cannot be.
bool makeRebuild(Rebuild& next, double scale) {
    // A buffer of the target size that the new frame needs is kept; the
    // frame takes another part of it.
    if (!frameBuffer || !isTargetFor(frameBuffer, next.width, next.height)) {
        next.buffer = createFrameBuffer(next.width, next.height);
        if (!next.buffer) return false;
    }
    // A font of the size in use is kept: opening one parses the font anew.
    next.fontSize = pointsAt(scale, fontPoints);
    next.largeSize = pointsAt(scale, largePoints);
    next.font = font && next.fontSize == fontSize ? font : openFont(next.fontSize);
    next.large = large && next.largeSize == largeSize ? large : openFont(next.largeSize);
    const float scaleX = static_cast<float>(next.width) / W, scaleY = static_cast<float>(next.height) / H;
    next.slotWidth = std::max(1, static_cast<int>(std::lround(CW * scaleX)));
    next.slotHeight = std::max(1, static_cast<int>(std::lround(CH * scaleY)));
    if (next.font && next.large) next.atlas = reduceAtlas(next.slotWidth, next.slotHeight);
    if (next.atlas) return true;
    if (next.font && next.font != font) TTF_CloseFont(next.font);
    if (next.large && next.large != large) TTF_CloseFont(next.large);
    if (next.buffer) SDL_DestroyTexture(next.buffer);
    return false;
}

// What next made takes the old pieces' places.
void putInPlace(const Rebuild& next) {
    flushTextCache();
    if (font && font != next.font) TTF_CloseFont(font);
    if (large && large != next.large) TTF_CloseFont(large);
    font = next.font;
    large = next.large;
    fontSize = next.fontSize;
    largeSize = next.largeSize;
    if (next.buffer) {
        if (frameBuffer) SDL_DestroyTexture(frameBuffer);
        frameBuffer = next.buffer;
    }
    // The trail was painted at the old resolution; it is dropped, to be
    // repainted from its imprints at the new one.
    if (frameBufferReplaced) frameBufferReplaced();
    bufferWidth = next.width;
    bufferHeight = next.height;
    drawingScaleX = static_cast<float>(next.width) / W;
    drawingScaleY = static_cast<float>(next.height) / H;
    if (cardAtlas) SDL_DestroyTexture(cardAtlas);
    cardAtlas = next.atlas;
    cardSlotWidth = next.slotWidth;
    cardSlotHeight = next.slotHeight;
    rebuiltSinceHandBack = true;
}

}  // namespace

bool resizeGraphics() {
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(renderer, &width, &height) != 0) return false;
    // The frame is exactly the area it is shown in, so that it is shown one
    // to one and every row of the table is seen.
    const SDL_Point shown = shownTableSize(width, height);
    if (frameBuffer && bufferWidth == shown.x && bufferHeight == shown.y) return true;
    Rebuild next;
    next.width = shown.x;
    next.height = shown.y;
    if (!makeRebuild(next, std::min(width / static_cast<double>(W), height / static_cast<double>(H)))) return false;
    putInPlace(next);
    return true;
}

void handBackFreedHeap() {
    if (!rebuiltSinceHandBack) return;
    rebuiltSinceHandBack = false;
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void fill(int x, int y, int w, int h, SDL_Color c) {
    SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, 255);
    SDL_Rect rect = {x, y, w, h};
    SDL_RenderFillRect(renderer, &rect);
}

void line(int x, int y, int xx, int yy, SDL_Color c) {
    SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, 255);
    float scaleX = 1, scaleY = 1;
    SDL_RenderGetScale(renderer, &scaleX, &scaleY);
    if (scaleX >= 1 && scaleY >= 1) {
        SDL_RenderDrawLine(renderer, x, y, xx, yy);
        return;
    }
    // SDL draws a unit line at this scale as a rectangle thinner than a
    // pixel, which may cover no pixel centre and vanish. Drawn in whole
    // pixels instead: each unit in the pixel that holds its middle, so
    // neighbouring units land in the same or neighbouring pixels.
    const SDL_Point from = {pixelOf(x, scaleX), pixelOf(y, scaleY)}, to = {pixelOf(xx, scaleX), pixelOf(yy, scaleY)};
    SDL_RenderSetScale(renderer, 1, 1);
    if (x == xx || y == yy) {
        const SDL_Rect run = {std::min(from.x, to.x), std::min(from.y, to.y), std::abs(to.x - from.x) + 1,
                              std::abs(to.y - from.y) + 1};
        SDL_RenderFillRect(renderer, &run);
    } else {
        SDL_RenderDrawLine(renderer, from.x, from.y, to.x, to.y);
    }
    SDL_RenderSetScale(renderer, scaleX, scaleY);
}

void outline(int x, int y, int w, int h, SDL_Color c) {
    float scaleX = 1, scaleY = 1;
    SDL_RenderGetScale(renderer, &scaleX, &scaleY);
    if (scaleX >= 1 && scaleY >= 1) {
        SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, 255);
        const SDL_Rect rect = {x, y, w, h};
        SDL_RenderDrawRect(renderer, &rect);
        return;
    }
    line(x, y, x + w - 1, y, c);
    line(x + w - 1, y, x + w - 1, y + h - 1, c);
    line(x, y + h - 1, x + w - 1, y + h - 1, c);
    line(x, y, x, y + h - 1, c);
}

void text(const std::string& s, int x, int y, SDL_Color c, bool big) {
    TextKey key(s, c.r, c.g, c.b, big);
    auto entry = textImages.find(key);
    if (entry == textImages.end()) {
        SDL_Color opaque = {c.r, c.g, c.b, 255};
        SDL_Surface* surface = TTF_RenderUTF8_Blended(big ? large : font, s.c_str(), opaque);
        if (!surface) {
            // An empty text renders nothing and lacks nothing.
            if (!s.empty()) ++failures;
            return;
        }
        SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
        TextImage image = {texture, surface->w, surface->h};
        SDL_FreeSurface(surface);
        if (!texture) {
            ++failures;
            return;
        }
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

void card(sol::Card c, int x, int y, bool sel) {
    int column = c.up ? c.rank - 1 : 0;
    int row = c.up ? c.suit : backRow;
    SDL_Rect destination = {x, y, CW, CH};
    SDL_Rect slot = {column * cardSlotWidth, row * cardSlotHeight, cardSlotWidth, cardSlotHeight};
    SDL_RenderCopy(renderer, cardAtlas, &slot, &destination);
    if (!sel) return;
    outline(x, y, CW, CH, gold);
    outline(x + 1, y + 1, CW - 2, CH - 2, gold);
}

const std::map<TextKey, TextImage>& cachedTexts() { return textImages; }

TTF_Font* textFont(bool big) { return big ? large : font; }

AtlasPicture atlasPicture() { return {cardAtlasData, cardAtlasSize}; }

void setAtlasPicture(AtlasPicture picture) {
    cardAtlasData = picture.bytes;
    cardAtlasSize = picture.size;
}
