// Frames that draw anew only what changed hold the very pixels of a whole
// composition: a drag carried over the piles, both bars and off the table,
// across the clock's seconds and under the menu and the panels, and the
// clock's second alone, at table-shaped and fractional sizes with the real
// card pictures; and those frames do leave the rest of the picture alone.
#include "assets/Assets.h"
#include "presentation/GraphicsTesting.h"
#include "presentation/SceneTesting.h"
#include "support/Replay.h"
#include "support/SceneFixture.h"
#include "support/Tables.h"

#include <functional>
#include <string>
#include <vector>

namespace {

Uint32 now = 0;  // the table's clock

class Reuse : public HeadlessScene {
protected:
    void SetUp() override {
        HeadlessScene::SetUp();
        previous = atlasPicture();
        setAtlasPicture({card_atlas_bmp, card_atlas_bmp_size});
        freeGraphics();
        ASSERT_TRUE(initGraphics()) << SDL_GetError();
    }
    void TearDown() override {
        setAtlasPicture(previous);
        freeGraphics();
        SDL_SetWindowSize(window, 760, 650);
        ASSERT_TRUE(initGraphics());
        dropDrawnFrames();
    }
    AtlasPicture previous = {nullptr, 0};
};

// Half of a certified game played in three-card mode, the clock running on
// the test's own ticks: long columns, cards on the foundations, a fanned
// waste.
void halfPlayed() {
    now = 100000;
    setTableTicks([] { return now; });
    game.drawCount = 3;
    game.deal(42, 64);
    const std::vector<sol::Game::Step> path = game.solution;
    ASSERT_TRUE(replay(game, path, path.size() / 2));
    setClockMarks({now - 4500, 0});
}

// A texture like the frame buffer, for the whole compositions to compare with.
struct Reference {
    SDL_Texture* texture = createFrameTarget();
    Reference() {
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    }
    ~Reference() { SDL_DestroyTexture(texture); }
    Pixels whole() {
        composeWhole(texture);
        SDL_Texture* const shown = frameBuffer;
        // Read as the frame buffer is: its frame's area.
        frameBuffer = texture;
        Pixels p = readPixels(texture);
        frameBuffer = shown;
        // The window the target again, as after a frame: SDL measures the
        // output by the target.
        SDL_SetRenderTarget(renderer, nullptr);
        return p;
    }
};

// Renders a frame and holds it against a whole composition of the same
// table: the number of pixels that differ, the first of them reported.
int differsFromWhole(Reference& reference, const std::string& what) {
    render();
    const Pixels frame = readPixels(frameBuffer);
    const Pixels whole = reference.whole();
    EXPECT_EQ(whole.width, frame.width);
    EXPECT_EQ(whole.height, frame.height);
    int differing = 0;
    for (int y = 0; y < frame.height && y < whole.height; ++y)
        for (int x = 0; x < frame.width && x < whole.width; ++x)
            if ((frame.raw(x, y) & 0xFFFFFF) != (whole.raw(x, y) & 0xFFFFFF) && differing++ == 0)
                ADD_FAILURE() << what << " in " << frame.width << "x" << frame.height << ": first differing pixel at "
                              << x << "," << y << ": " << frame.at(x, y) << " where a whole composition has "
                              << whole.at(x, y);
    return differing;
}

// Where the pointer carries the dragged cards, in table units, and whether
// the clock's second moves on before the frame.
struct Step {
    SDL_Point pointer;
    bool nextSecond;
    const char* where;
};

const Step steps[] = {
    {{400, 300}, false, "over the columns"},
    {{404, 303}, false, "a short step"},
    {{430, 100}, false, "over the foundations"},
    {{120, 40}, false, "over the waste and the stock"},
    {{300, 8}, false, "into the top bar"},
    {{300, -60}, false, "above the table"},
    {{300, -60}, true, "held still across a second"},
    {{500, 630}, false, "into the status bar"},
    {{650, 640}, true, "over the clock across a second"},
    {{790, 500}, false, "off the right edge"},
    {{100000, 100000}, false, "far off"},
    {{-30, 400}, false, "back over the left edge"},
    {{380, 325}, true, "to the middle across a second"},
    {{381, 325}, false, "a unit"},
};

// Window sizes: the table's, scale 1.5 and full-screen 1920 x 1080 with
// bars beside, fractional scales above and below 1.
const int sizes[][2] = {{760, 650}, {1140, 975}, {1920, 1080}, {1233, 1055}, {777, 665}, {500, 428}};

struct DragCase {
    const char* what;
    int pile;
    bool menu, help;
};

TEST_F(Reuse, EveryDragFrameIsTheWholeComposition) {
    const DragCase drags[] = {
        {"a run from a column", -1, false, false},
        {"the waste's top card", 1, false, false},
        {"a run under the open menu and help", -1, true, true},
    };
    for (const auto& size : sizes) {
        SDL_SetWindowSize(window, size[0], size[1]);
        ASSERT_TRUE(resizeGraphics());
        const SDL_Rect area = frameArea();
        Reference reference;
        for (const DragCase& drag : drags) {
            SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + ", " + drag.what);
            clearTable();
            halfPlayed();
            // The longest run of the columns, or the waste's top card.
            int pile = drag.pile, index = static_cast<int>(game.state.piles[1].size()) - 1;
            for (int p = 6; pile < 0 && p <= 12; ++p) {
                const sol::Pile& column = game.state.piles[p];
                for (int i = 0; i + 2 < static_cast<int>(column.size()); ++i)
                    if (column[i].up && game.sequence(p, i)) {
                        pile = p;
                        index = i;
                        break;
                    }
            }
            ASSERT_GE(pile, 0) << "no run of three to drag";
            ASSERT_GE(index, 0);
            selected = pile;
            indexSelected = index;
            menu = drag.menu;
            help = drag.help;
            EXPECT_EQ(0, differsFromWhole(reference, "the selection"));
            for (const Step& step : steps) {
                if (step.nextSecond) now += 1000;
                holdDrag(step.pointer, {40, 20}, 25);
                EXPECT_EQ(0, differsFromWhole(reference, step.where)) << step.where;
            }
            cancelDrag();
            selected = -1;
            EXPECT_EQ(0, differsFromWhole(reference, "the drag ended"));
            ASSERT_EQ(area.w, frameArea().w) << "the frame changed its size";
            ASSERT_EQ(area.h, frameArea().h);
        }
    }
}

TEST_F(Reuse, TheClocksSecondAloneIsTheWholeComposition) {
    for (const auto& size : sizes) {
        SDL_SetWindowSize(window, size[0], size[1]);
        ASSERT_TRUE(resizeGraphics());
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        Reference reference;
        clearTable();
        halfPlayed();
        EXPECT_EQ(0, differsFromWhole(reference, "the table"));
        // From 4 to seconds whose texts grow by a digit, and shrink.
        for (Uint32 seconds : {9u, 10u, 99u, 100u, 1000u, 7u}) {
            setClockMarks({now - seconds * 1000 - 500, 0});
            EXPECT_EQ(0, differsFromWhole(reference, "second " + std::to_string(seconds)));
        }
    }
}

// Each thing the scene draws from, changed alone between two frames, is
// drawn: the frame after it is the whole composition.
struct Change {
    const char* what;
    std::function<void()> before, change;
};

TEST_F(Reuse, EveryChangeAloneIsDrawn) {
    auto flying = [](int suit, int rank) {
        FlyingCard c;
        c.card = faceUp(suit, rank);
        return c;
    };
    const Change changes[] = {
        {"a draw from the stock", [] {}, [] { game.draw(); }},
        {"a card turned over", [] {}, [] { game.state.piles[12].back().up = !game.state.piles[12].back().up; }},
        {"a card selected", [] {},
         [] {
             selected = 12;
             indexSelected = static_cast<int>(game.state.piles[12].size()) - 1;
         }},
        {"the selection to another pile",
         [] {
             selected = 6;
             indexSelected = 0;
         },
         [] { selected = 7; }},
        {"the selection to another card of the pile",
         [] {
             selected = 6;
             indexSelected = 0;
         },
         [] { indexSelected = 1; }},
        {"one card a draw", [] {}, [] { game.drawCount = 1; }},
        {"the score", [] {}, [] { game.state.score += 5; }},
        {"the sound off", [] {}, [] { cardAudio.enabled = false; }},
        {"the menu opens", [] {}, [] { menu = true; }},
        {"the help opens", [] {}, [] { help = true; }},
        {"an imprint more",
         [] {
             setWinImprints({{faceUp(0, 13), 300, 300}});
         },
         [] {
             setWinImprints({{faceUp(0, 13), 300, 300}, {faceUp(1, 12), 320, 330}});
         }},
        {"a card takes off",
         [&] {
             game.state = wonTable();
             winAnimating = true;
             flyingCards = {flying(0, 13), flying(1, 13)};
         },
         [] { flyingCards[0].launched = true; }},
        {"the flight ends",
         [] {
             game.state = wonTable();
             winAnimating = true;
         },
         [] { winAnimating = false; }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        Reference reference;
        clearTable();
        halfPlayed();
        // Column 6 holds cards at indices 0 and 1, column 7 at 0.
        game.state.piles[6].insert(game.state.piles[6].begin(), {faceUp(3, 13), faceUp(1, 12)});
        game.state.piles[7].insert(game.state.piles[7].begin(), faceUp(2, 13));
        c.before();
        EXPECT_EQ(0, differsFromWhole(reference, std::string("before ") + c.what));
        c.change();
        EXPECT_EQ(0, differsFromWhole(reference, c.what));
    }
}

// A frame of a drag draws only where the cards were and go, one of the
// clock only the clock: a mark far from both survives it. Without a change
// nothing is drawn at all.
TEST_F(Reuse, OnlyWhatChangedIsDrawn) {
    halfPlayed();
    selected = 1;
    indexSelected = static_cast<int>(game.state.piles[1].size()) - 1;
    holdDrag({400, 300}, {40, 20}, 25);
    render();
    const SDL_Color markColour = {255, 0, 255, 255};
    const Rgb mark = {255, 0, 255};
    auto paintMark = [&] {
        SDL_SetRenderTarget(renderer, frameBuffer);
        SDL_RenderSetScale(renderer, 1, 1);
        fill(700, 40, 4, 4, markColour);  // over the last foundation
        SDL_SetRenderTarget(renderer, nullptr);
    };
    paintMark();
    holdDrag({420, 320}, {40, 20}, 25);
    render();
    Pixels f = readPixels(frameBuffer);
    EXPECT_EQ(mark, f.at(701, 41)) << "a drag frame drew beyond the cards";
    EXPECT_NE(mark, f.at(400, 300)) << "the cards were not drawn";

    now += 1000;
    render();
    EXPECT_EQ(mark, readPixels(frameBuffer).at(701, 41)) << "the clock's second in a drag drew beyond the clock";

    cancelDrag();
    selected = -1;
    render();
    EXPECT_NE(mark, readPixels(frameBuffer).at(701, 41)) << "the drag's end redraws the table";
    paintMark();
    render();
    EXPECT_EQ(mark, readPixels(frameBuffer).at(701, 41)) << "a frame without a change drew";
    now += 1000;
    render();
    f = readPixels(frameBuffer);
    EXPECT_EQ(mark, f.at(701, 41)) << "the clock's second drew beyond the clock";
    const std::string clock = "Zeit: " + std::to_string(gameSeconds());
    EXPECT_EQ(1u, cachedTexts().count(TextKey(clock, 0, 0, 0, false))) << "the new second was not drawn";
}

}  // namespace
