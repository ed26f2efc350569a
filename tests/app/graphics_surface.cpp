// The render surface follows the output size, keeps its text cache bounded,
// and its primitives land where the table coordinates say.
#include "assets/Assets.h"
#include "presentation/GraphicsTesting.h"
#include "presentation/VictoryTesting.h"
#include "support/SceneFixture.h"

#include <cstring>
#include <set>
#include <utility>

namespace {

using Surface = HeadlessScene;

// Point size of a font, recovered by comparing with fonts opened at known sizes.
int pointsOf(TTF_Font* f) {
    for (int points = 6; points <= 80; ++points) {
        TTF_Font* probe = TTF_OpenFontRW(SDL_RWFromConstMem(font_ttf, font_ttf_size), 1, points);
        bool same = TTF_FontHeight(probe) == TTF_FontHeight(f) && TTF_FontAscent(probe) == TTF_FontAscent(f);
        int width = 0, probeWidth = 0;
        TTF_SizeUTF8(f, "Zarn - Solitär 0123456789", &width, nullptr);
        TTF_SizeUTF8(probe, "Zarn - Solitär 0123456789", &probeWidth, nullptr);
        TTF_CloseFont(probe);
        if (same && width == probeWidth) return points;
    }
    return -1;
}

struct OutputCase {
    int outputWidth, outputHeight;
    int bufferWidth, bufferHeight;
    int textureWidth, textureHeight;  // the frame buffer's, which holds the frame
    int fontPoints, largePoints;
};

TEST_F(Surface, FrameBufferFontsAndScaleFollowTheOutputSize) {
    const OutputCase cases[] = {
        {760, 650, 760, 650, 760, 650, 16, 28},     {1520, 1300, 1520, 1300, 1520, 1300, 32, 56},
        {1141, 975, 1140, 975, 1520, 1300, 24, 42}, {1000, 650, 760, 650, 760, 650, 16, 28},
        {380, 325, 380, 325, 380, 325, 8, 14},      {190, 163, 190, 162, 190, 163, 8, 8},
        {760, 1300, 760, 650, 760, 650, 16, 28},    {761, 651, 761, 650, 1075, 920, 16, 28},
        {1075, 920, 1075, 919, 1075, 920, 23, 40},
    };
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.outputWidth) + "x" + std::to_string(c.outputHeight));
        SDL_SetWindowSize(window, c.outputWidth, c.outputHeight);
        int w = 0, h = 0;
        ASSERT_EQ(0, SDL_GetRendererOutputSize(renderer, &w, &h));
        ASSERT_EQ(c.outputWidth, w);
        ASSERT_EQ(c.outputHeight, h);
        ASSERT_TRUE(resizeGraphics()) << SDL_GetError();
        EXPECT_EQ(c.bufferWidth, frameArea().w);
        EXPECT_EQ(c.bufferHeight, frameArea().h);
        int tw = 0, th = 0;
        ASSERT_EQ(0, SDL_QueryTexture(frameBuffer, nullptr, nullptr, &tw, &th));
        EXPECT_EQ(c.textureWidth, tw);
        EXPECT_EQ(c.textureHeight, th);
        EXPECT_FLOAT_EQ(c.bufferWidth / 760.0f, drawingScale().x);
        EXPECT_FLOAT_EQ(c.bufferHeight / 650.0f, drawingScale().y);
        EXPECT_EQ(c.fontPoints, pointsOf(textFont(false)));
        EXPECT_EQ(c.largePoints, pointsOf(textFont(true)));
    }
}

// SDL's OpenGL renderer keeps memory for every size of render target it has
// been given; the frame buffer and the trail, remade at every window size,
// must come in a few sizes only.
TEST_F(Surface, RenderTargetsComeInFewSizesHoweverManyTheWindowHas) {
    setWinImprints({{faceUp(0, 1), 200, 200}});
    std::set<std::pair<int, int>> targets;
    for (int h = 300; h <= 1200; h += 9) {
        SDL_SetWindowSize(window, (2 * 760 * h + 650) / (2 * 650), h);
        render();
        ASSERT_NE(nullptr, winFlight().winTrail);
        for (SDL_Texture* target : {frameBuffer, winFlight().winTrail}) {
            int tw = 0, th = 0;
            SDL_QueryTexture(target, nullptr, nullptr, &tw, &th);
            ASSERT_GE(tw, frameArea().w);
            ASSERT_GE(th, frameArea().h);
            targets.insert({tw, th});
        }
    }
    clearWinAnimation();
    // 101 window sizes, from 351 x 300 to 1403 x 1200; the targets are the
    // series' 380 x 325, 538 x 460, 760 x 650, 1075 x 920 and 1520 x 1300.
    EXPECT_EQ(5u, targets.size());
}

// The frame and the trail drawn in a part of a larger target are pixel for
// pixel what they were in targets of the frame's own size, with the real
// atlas, texts and an imprint at every fractional scale.
TEST_F(Surface, AFrameInALargerTargetIsTheFrameInOneOfItsOwnSize) {
    const AtlasPicture previous = atlasPicture();
    setAtlasPicture({card_atlas_bmp, card_atlas_bmp_size});
    freeGraphics();
    ASSERT_TRUE(initGraphics()) << SDL_GetError();
    game.deal(42, 64);
    std::vector<WinStamp> imprints;
    for (int y = -60; y < H; y += 110)
        for (int x = -40; x < W; x += 130) imprints.push_back({faceUp((x + y) & 3, 1 + (x + 40) / 130), x, y});
    setWinImprints(imprints);

    const int sizes[][2] = {{570, 650}, {777, 665}, {1140, 975}, {1233, 1055}, {500, 428}, {1052, 900}, {333, 290}};
    for (const auto& size : sizes) {
        SDL_SetWindowSize(window, size[0], size[1]);
        ASSERT_TRUE(resizeGraphics());
        const int bufferWidth = frameArea().w, bufferHeight = frameArea().h;
        SCOPED_TRACE(std::to_string(bufferWidth) + "x" + std::to_string(bufferHeight));
        int tw = 0, th = 0;
        SDL_QueryTexture(frameBuffer, nullptr, nullptr, &tw, &th);
        EXPECT_TRUE(tw > bufferWidth || th > bufferHeight) << "the frame fills its target: nothing to compare";
        dropWinTrail();
        render();
        const Pixels inPart = readPixels(frameBuffer);

        // The frame and the trail again, drawn as before the targets came in
        // a series: in textures of the frame's own size.
        SDL_Texture* ownFrame =
            SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA8888, SDL_TEXTUREACCESS_TARGET, bufferWidth, bufferHeight);
        SDL_Texture* ownTrail =
            SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA8888, SDL_TEXTUREACCESS_TARGET, bufferWidth, bufferHeight);
        ASSERT_TRUE(ownFrame && ownTrail) << SDL_GetError();
        SDL_SetTextureScaleMode(ownFrame, SDL_ScaleModeNearest);
        SDL_SetTextureBlendMode(ownFrame, SDL_BLENDMODE_NONE);
        SDL_SetTextureBlendMode(ownTrail, SDL_BLENDMODE_BLEND);
        SDL_SetRenderTarget(renderer, ownTrail);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0);
        SDL_RenderClear(renderer);
        SDL_SetRenderTarget(renderer, nullptr);
        SDL_Texture* const inSeries = frameBuffer;
        frameBuffer = ownFrame;
        paintWinTrailInto(ownTrail);
        render();
        const Pixels inOwn = readPixels(frameBuffer);
        frameBuffer = inSeries;
        SDL_DestroyTexture(ownFrame);
        dropWinTrail();

        ASSERT_EQ(inOwn.width, inPart.width);
        ASSERT_EQ(inOwn.height, inPart.height);
        int differing = 0;
        for (size_t i = 0; i < inOwn.argb.size(); ++i) differing += inOwn.argb[i] != inPart.argb[i];
        EXPECT_EQ(0, differing);
    }
    clearWinAnimation();
    setAtlasPicture(previous);
    freeGraphics();
    SDL_SetWindowSize(window, 760, 650);
    ASSERT_TRUE(initGraphics());
}

TEST_F(Surface, RebuildFlushesTextsAndDropsTheTrailButAnUnchangedSizeKeepsAll) {
    text("Spiel", 12, 6, black, false);
    SDL_Texture* buffer = frameBuffer;
    TTF_Font* normal = textFont(false);
    ASSERT_TRUE(resizeGraphics());
    EXPECT_EQ(buffer, frameBuffer);
    EXPECT_EQ(normal, textFont(false));
    EXPECT_EQ(1u, cachedTexts().size());

    // A trail with an imprint painted.
    setWinImprints({{faceUp(0, 1), 200, 200}});
    renderWinTrail();
    SDL_SetRenderTarget(renderer, nullptr);
    ASSERT_NE(nullptr, winFlight().winTrail);
    ASSERT_EQ(1u, winFlight().paintedWinStamps);
    SDL_SetWindowSize(window, 1520, 1300);
    ASSERT_TRUE(resizeGraphics());
    EXPECT_TRUE(cachedTexts().empty());
    EXPECT_EQ(nullptr, winFlight().winTrail);
    EXPECT_EQ(0u, winFlight().paintedWinStamps);
}

TEST_F(Surface, FailedRebuildChangesNothing) {
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    if (info.max_texture_width == 0) GTEST_SKIP() << info.name << " has no texture size limit to exceed";
    text("Spiel", 12, 6, black, false);
    SDL_Texture* buffer = frameBuffer;
    TTF_Font* normal = textFont(false);
    TTF_Font* big = textFont(true);
    // Twice the largest texture: the new frame buffer cannot be made.
    SDL_SetWindowSize(window, info.max_texture_width * 2, info.max_texture_height * 2);
    EXPECT_FALSE(resizeGraphics());
    EXPECT_EQ(buffer, frameBuffer);
    EXPECT_EQ(normal, textFont(false));
    EXPECT_EQ(big, textFont(true));
    EXPECT_EQ(760, frameArea().w);
    EXPECT_EQ(650, frameArea().h);
    EXPECT_FLOAT_EQ(1.0f, drawingScale().x);
    EXPECT_EQ(1u, cachedTexts().size());

    // The scene skips the frame and the next one, at a size that fits, draws.
    render();
    SDL_SetWindowSize(window, 760, 650);
    render();
    EXPECT_EQ(buffer, frameBuffer);
    EXPECT_EQ(tableGreen, readPixels(frameBuffer).at(300, 300));
}

TEST_F(Surface, TextCacheIsKeyedByStringColourAndFontAndFlushedWholePast256) {
    SDL_SetRenderTarget(renderer, frameBuffer);
    text("Karte", 0, 0, black, false);
    text("Karte", 0, 0, white, false);
    text("Karte", 0, 0, black, true);
    text("Karte", 0, 0, {0, 0, 0, 17}, false);  // alpha is not part of the key
    EXPECT_EQ(3u, cachedTexts().size());
    EXPECT_EQ(1u, cachedTexts().count(TextKey("Karte", 255, 255, 255, false)));
    EXPECT_EQ(1u, cachedTexts().count(TextKey("Karte", 0, 0, 0, true)));

    text("", 0, 0, black, false);  // nothing to render: nothing cached
    EXPECT_EQ(3u, cachedTexts().size());

    for (int i = 3; i < 256; ++i) text(std::to_string(i), 0, 0, black, false);
    ASSERT_EQ(256u, cachedTexts().size());
    text("Karte", 0, 0, white, false);
    EXPECT_EQ(256u, cachedTexts().size()) << "a cached text flushes nothing";
    text("Zeit: 1", 0, 0, black, false);
    EXPECT_EQ(1u, cachedTexts().size());
    EXPECT_EQ(1u, cachedTexts().count(TextKey("Zeit: 1", 0, 0, 0, false)));
    SDL_SetRenderTarget(renderer, nullptr);
}

TEST_F(Surface, TextLandsPixelForPixelAtEveryScale) {
    for (int scale = 1; scale <= 2; ++scale) {
        SDL_SetWindowSize(window, 760 * scale, 650 * scale);
        ASSERT_TRUE(resizeGraphics());
        SDL_SetRenderTarget(renderer, frameBuffer);
        SDL_RenderSetScale(renderer, drawingScale().x, drawingScale().y);
        fill(0, 0, W, H, {0, 128, 0, 255});
        text("Hilfe", 100, 100, black, false);
        const TextImage& image = cachedTexts().at(TextKey("Hilfe", 0, 0, 0, false));
        Pixels f = readPixels(frameBuffer);
        // Ink spans the image's pixel width from the scaled origin, no wider.
        int left = f.width, right = -1;
        for (int y = 100 * scale; y < 100 * scale + image.height; ++y)
            for (int x = 90 * scale; x < 100 * scale + image.width + 10; ++x)
                if (f.at(x, y) != tableGreen) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_GE(left, 100 * scale);
        EXPECT_LT(right, 100 * scale + image.width);
        EXPECT_GT(right - left, image.width / 2);
        SDL_SetRenderTarget(renderer, nullptr);
    }
}

// A patterned ace of spades and back: every pixel differs from its neighbours.
Rgb pattern(int x, int y, int cell) { return {(x * 5 + y * 3 + cell) % 256, (x * x + y) % 256, (x ^ y) & 255}; }

std::vector<unsigned char> patternedAtlas() {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 2080, 1120, 24, SDL_PIXELFORMAT_BGR24);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 128, 0));
    for (int cell = 0; cell < 2; ++cell)
        for (int y = 0; y < 224; ++y)
            for (int x = 0; x < 160; ++x) {
                Rgb c = pattern(x, y, cell);
                SDL_Rect one = {x, y + cell * 896, 1, 1};
                SDL_FillRect(s, &one, SDL_MapRGB(s->format, c.r, c.g, c.b));
            }
    std::vector<unsigned char> bmp = encodeBmp(s);
    SDL_FreeSurface(s);
    return bmp;
}

TEST_F(Surface, CardsAreTheAtlasCellsAveragedAtScaleOneAndCopiedAtScaleTwo) {
    const std::vector<unsigned char> bmp = patternedAtlas();
    const AtlasPicture previous = atlasPicture();
    ASSERT_TRUE(useAtlas(bmp)) << SDL_GetError();
    for (int scale = 1; scale <= 2; ++scale) {
        SDL_SetWindowSize(window, 760 * scale, 650 * scale);
        ASSERT_TRUE(resizeGraphics());
        SDL_SetRenderTarget(renderer, frameBuffer);
        SDL_RenderSetScale(renderer, drawingScale().x, drawingScale().y);
        card({0, 1, true}, 10, 40, false);
        card({2, 7, false}, 200, 40, false);
        Pixels f = readPixels(frameBuffer);
        SDL_SetRenderTarget(renderer, nullptr);
        int mismatches = 0;
        for (int cell = 0; cell < 2; ++cell)
            for (int y = 0; y < 112 * scale; ++y)
                for (int x = 0; x < 80 * scale; ++x) {
                    Rgb expected = pattern(x, y, cell);
                    if (scale == 1) {  // the 2 x 2 block it covers, averaged
                        int r = 0, g = 0, b = 0;
                        for (int k = 0; k < 4; ++k) {
                            Rgb c = pattern(2 * x + k % 2, 2 * y + k / 2, cell);
                            r += c.r;
                            g += c.g;
                            b += c.b;
                        }
                        expected = {(r + 2) / 4, (g + 2) / 4, (b + 2) / 4};
                    }
                    Rgb got = f.at((cell ? 200 : 10) * scale + x, 40 * scale + y);
                    if (got != expected && mismatches++ < 5)
                        ADD_FAILURE() << "scale " << scale << " cell " << cell << " at " << x << "," << y << ": " << got
                                      << " expected " << expected;
                }
        EXPECT_EQ(0, mismatches) << "scale " << scale;
    }
    setAtlasPicture(previous);
    freeGraphics();
    SDL_SetWindowSize(window, 760, 650);
    ASSERT_TRUE(initGraphics());
}

TEST_F(Surface, AnAtlasThatIsNoCardPictureFailsTheGraphics) {
    const AtlasPicture previous = atlasPicture();
    std::vector<unsigned char> truncated(previous.bytes, previous.bytes + 100000);
    EXPECT_FALSE(useAtlas(truncated));
    EXPECT_NE(nullptr, std::strstr(SDL_GetError(), "card atlas")) << SDL_GetError();
    SDL_Surface* deep = SDL_CreateRGBSurfaceWithFormat(0, 2080, 1120, 32, SDL_PIXELFORMAT_ARGB8888);
    std::vector<unsigned char> wrongDepth = encodeBmp(deep);
    SDL_FreeSurface(deep);
    EXPECT_FALSE(useAtlas(wrongDepth));
    setAtlasPicture(previous);
    freeGraphics();
    ASSERT_TRUE(initGraphics());
}

TEST_F(Surface, BevelCoversExactlyItsRectangleWithLightAndDarkEdges) {
    SDL_SetRenderTarget(renderer, frameBuffer);
    SDL_RenderSetScale(renderer, 1, 1);
    fill(0, 0, W, H, {0, 128, 0, 255});
    bevel(10, 20, 30, 40, false);
    bevel(100, 20, 30, 40, true);
    Pixels f = readPixels(frameBuffer);
    SDL_SetRenderTarget(renderer, nullptr);

    struct Probe {
        int x, y;
        Rgb raised;
        Rgb sunken;
    } probes[] = {
        {10, 20, {255, 255, 255}, {96, 96, 96}}, {25, 20, {255, 255, 255}, {96, 96, 96}},
        {10, 40, {255, 255, 255}, {96, 96, 96}}, {39, 40, {64, 64, 64}, {255, 255, 255}},
        {25, 59, {64, 64, 64}, {255, 255, 255}}, {39, 59, {64, 64, 64}, {255, 255, 255}},
        {25, 40, panelGrey, panelGrey},          {40, 40, tableGreen, tableGreen},
        {25, 60, tableGreen, tableGreen},        {9, 40, tableGreen, tableGreen},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(p.raised, f.at(p.x, p.y)) << p.x << "," << p.y;
        EXPECT_EQ(p.sunken, f.at(p.x + 90, p.y)) << p.x + 90 << "," << p.y;
    }
}

}  // namespace
