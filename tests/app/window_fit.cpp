// Window fitting: the arithmetic as a table of cases, then the real calls on
// SDL's offscreen driver (no X11, so no aspect hint) and the bad inputs.
#include <gtest/gtest.h>

#include <SDL.h>

#include <climits>
#include <cstdlib>

#include "interaction/Actions.h"
#include "shell/Startup.h"
#include "support/Headless.h"
#include "window/Window.h"
#include "window/WindowFit.h"
#include "window/WindowTesting.h"

#include <SDL_syswm.h>  // last: it brings in Xlib's macros

namespace {

struct SizeCase {
    const char* what;
    int w, h;
    bool maximized;
    int lastWidth, lastHeight;
    WindowBorders borders;
    bool hasUsable;
    SDL_Rect usable;
    int wantWidth, wantHeight;
};

const WindowBorders noBorders{0, 0, 0, 0};
const WindowBorders titleBar{28, 0, 0, 0};
const SDL_Rect laptop{0, 0, 1366, 740};

TEST(WindowFitSize, Table) {
    const SizeCase cases[] = {
        {"right edge to 1000", 1000, 650, false, 760, 650, noBorders, false, {}, 1000, 855},
        {"bottom edge to 700", 760, 700, false, 760, 650, noBorders, false, {}, 818, 700},
        {"corner to 1000 x 700", 1000, 700, false, 760, 650, noBorders, false, {}, 818, 700},
        {"narrowing follows too", 380, 650, false, 760, 650, noBorders, false, {}, 380, 325},
        {"unchanged but off-shape", 819, 700, false, 819, 700, noBorders, false, {}, 818, 700},
        {"maximised ignores which edge", 1366, 650, true, 760, 650, noBorders, false, {}, 760, 650},
        {"no usable area, no limit", 3000, 650, false, 760, 650, noBorders, false, {}, 3000, 2566},
        {"widened into the title-bar limit", 1000, 650, false, 760, 650, titleBar, true, laptop, 832, 712},
        {"maximised to the largest fit", 1366, 712, true, 760, 650, titleBar, true, laptop, 832, 712},
        {"maximised, the new size not yet sent", 760, 650, true, 760, 650, titleBar, true, laptop, 832, 712},
        {"larger than the usable area", 2000, 1710, false, 2000, 1710, titleBar, true, laptop, 832, 712},
        {"side borders count", 2000, 650, false, 760, 650, WindowBorders{0, 300, 0, 306}, true, laptop, 760, 650},
        {"fits: not limited", 800, 650, false, 760, 650, titleBar, true, laptop, 800, 684},
        // Halves round away from zero: 650 * 266 / 760 = 227.5 exactly, which
        // doubles via the scale 266 / 760 see as 227.4999...
        {"half rounds up", 266, 650, false, 760, 650, noBorders, false, {}, 266, 228},
        {"half rounds up at a scale", 266, 1000, false, 760, 650, noBorders, false, {}, 266, 228},
        // The limit is floored exactly: 701 / 650 * 650 is 700.999... in doubles.
        {"floor of an exact limit", 1000, 650, false, 760, 650, titleBar, true, SDL_Rect{0, 0, 2000, 729}, 819, 701},
        {"one unit", 1, 1, false, 760, 650, noBorders, false, {}, 1, 1},
        {"sliver of height", 5000, 1, false, 760, 650, noBorders, false, {}, 1, 1},
        {"width change to 1 keeps height >= 1", 1, 650, false, 760, 650, noBorders, false, {}, 1, 1},
        {"height beyond int range clamps", 760, INT_MAX, false, 760, 650, noBorders, false, {}, INT_MAX, INT_MAX},
        {"empty usable area", 760, 650, false, 760, 650, noBorders, true, SDL_Rect{0, 0, 0, 0}, 1, 1},
        {"borders wider than the area", 760, 650, false, 760, 650, WindowBorders{900, 900, 900, 900}, true, laptop, 1,
         1},
    };
    for (const SizeCase& c : cases) {
        const SDL_Point got = windowFitSize(c.w, c.h, c.maximized, c.lastWidth, c.lastHeight, c.borders,
                                            c.hasUsable ? &c.usable : nullptr);
        EXPECT_EQ(got.x, c.wantWidth) << c.what;
        EXPECT_EQ(got.y, c.wantHeight) << c.what;
    }
}

struct PlaceCase {
    const char* what;
    int x, y;
    SDL_Point size;
    bool maximized;
    WindowBorders borders;
    SDL_Rect usable;
    int wantX, wantY;
};

TEST(WindowFitPosition, Table) {
    // Positions are those of the client area, as SDL reports and sets them:
    // the title bar above it must stay inside the usable area too.
    const PlaceCase cases[] = {
        {"pushed down under the title bar", 300, 50, {832, 712}, false, titleBar, laptop, 300, 28},
        {"title bar kept on the screen", 300, 5, {760, 650}, false, titleBar, laptop, 300, 28},
        {"maximised is centred", 0, 28, {832, 712}, true, titleBar, laptop, 267, 28},
        {"inside stays put", 100, 40, {760, 650}, false, titleBar, laptop, 100, 40},
        {"off left and bottom", -100, 600, {760, 650}, false, titleBar, laptop, 0, 90},
        {"off right with side borders", 1000, 10, {760, 650}, false, WindowBorders{0, 1, 0, 1}, laptop, 605, 10},
        {"all four borders, centred",
         0,
         0,
         {868, 742},
         true,
         WindowBorders{20, 1, 5, 1},
         SDL_Rect{0, 0, 1366, 768},
         249,
         20},
        {"below a top panel", 100, 0, {760, 650}, false, noBorders, SDL_Rect{0, 30, 1366, 710}, 100, 30},
        {"second monitor", 0, 0, {760, 650}, false, noBorders, SDL_Rect{1366, 0, 1920, 1050}, 1366, 0},
        {"too large pins to the top left",
         500,
         500,
         {2000, 2000},
         false,
         titleBar,
         SDL_Rect{10, 20, 1366, 740},
         10,
         48},
        {"odd centring truncates", 0, 0, {831, 711}, true, titleBar, SDL_Rect{10, 0, 1366, 740}, 277, 28},
    };
    for (const PlaceCase& c : cases) {
        const SDL_Point got = windowFitPosition(c.x, c.y, c.size, c.maximized, c.borders, c.usable);
        EXPECT_EQ(got.x, c.wantX) << c.what;
        EXPECT_EQ(got.y, c.wantY) << c.what;
    }
}

// The desktop's resolution for text sets the start size from 120 dpi up,
// a quarter larger, to the nearest unit; below it points are pixels.
TEST(WindowStartSize, FollowsTheDesktopsScaleFromAQuarterUp) {
    const struct {
        int dpi;
        SDL_Point want;
    } cases[] = {
        {0, {760, 650}},    {96, {760, 650}},    {119, {760, 650}},   {120, {950, 813}},
        {144, {1140, 975}}, {192, {1520, 1300}}, {288, {2280, 1950}},
    };
    for (const auto& c : cases) {
        const SDL_Point got = startSizeAtDpi({760, 650}, c.dpi);
        EXPECT_EQ(got.x, c.want.x) << c.dpi << " dpi";
        EXPECT_EQ(got.y, c.want.y) << c.dpi << " dpi";
    }
    const SDL_Point huge = startSizeAtDpi({INT_MAX, 1}, 192);
    EXPECT_EQ(huge.x, INT_MAX);
    EXPECT_EQ(huge.y, 2);
}

// The fitting that a resize triggers comes back as a new resize; the chain
// must settle on a table-shaped size within a few rounds.
TEST(WindowFitSize, RepeatedFittingSettles) {
    for (int w = 200; w <= 2400; w += 37) {
        int lastWidth = 760, lastHeight = 650, width = w, height = 650;
        int rounds = 0;
        for (;;) {
            const SDL_Point next = windowFitSize(width, height, false, lastWidth, lastHeight, titleBar, &laptop);
            lastWidth = next.x;
            lastHeight = next.y;
            if (next.x == width && next.y == height) break;
            width = next.x;
            height = next.y;
            ASSERT_LT(++rounds, 4) << "widened to " << w;
        }
        EXPECT_LE(width, laptop.w) << w;
        EXPECT_LE(height + titleBar.top, laptop.h) << w;
        // Table-shaped: the width is the height scaled up, to the nearest unit.
        EXPECT_LE(std::abs(width * 650 - height * 760), 760 / 2 + 650 / 2) << w;
    }
}

class WindowOffscreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(startHeadless()) << SDL_GetError();
    }
    static void TearDownTestSuite() { shutDown(); }

    void SetUp() override {
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowSize(window, 760, 650);
        SDL_SetWindowPosition(window, 132, 59);
        setFittedSize(760, 650);
        ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0);
        ASSERT_EQ(usable.w, 1024);  // the offscreen driver's one display
        ASSERT_EQ(usable.h, 768);
    }

    static SDL_Rect bounds() {
        SDL_Rect r;
        SDL_GetWindowPosition(window, &r.x, &r.y);
        SDL_GetWindowSize(window, &r.w, &r.h);
        return r;
    }

    SDL_Rect usable{};
};

TEST_F(WindowOffscreen, NoWindowManagerInfoSoNoHintButFittingWorks) {
    SDL_SysWMinfo info;
    SDL_zero(info);
    SDL_VERSION(&info.version);
    EXPECT_FALSE(SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11);
    setWindowAspectHint();

    SDL_SetWindowSize(window, 800, 650);
    fitWindowToField();
    SDL_Rect r = bounds();
    EXPECT_EQ(r.w, 800);
    EXPECT_EQ(r.h, 684);
    EXPECT_EQ(r.x, 132);
    EXPECT_EQ(r.y, 59);  // 59 + 684 < 768: still inside
    EXPECT_EQ(windowFitting().fittedWidth, 800);
    EXPECT_EQ(windowFitting().fittedHeight, 684);

    // Widened past the 1024 x 768 display: limited to it and pulled inside.
    SDL_SetWindowSize(window, 1000, 684);
    fitWindowToField();
    r = bounds();
    EXPECT_EQ(r.w, 897);
    EXPECT_EQ(r.h, 768);
    EXPECT_EQ(r.x, 127);
    EXPECT_EQ(r.y, 0);
}

TEST_F(WindowOffscreen, MovedOffTheAreaComesBack) {
    SDL_SetWindowPosition(window, -300, 500);
    fitWindowToField();
    const SDL_Rect r = bounds();
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 768 - 650);
    EXPECT_EQ(r.w, 760);
    EXPECT_EQ(r.h, 650);
}

TEST_F(WindowOffscreen, FullScreenTwiceRestoresPlaceAndSize) {
    SDL_SetWindowSize(window, 700, 650);
    fitWindowToField();
    SDL_SetWindowPosition(window, 40, 30);
    const SDL_Rect before = bounds();
    ASSERT_EQ(before.w, 700);
    ASSERT_EQ(before.h, 599);
    selected = 8;

    toggleFullscreen();
    EXPECT_EQ(selected, -1);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    const SDL_Rect stored = windowFitting().windowedBounds;
    EXPECT_EQ(stored.x, 40);
    EXPECT_EQ(stored.y, 30);
    EXPECT_EQ(stored.w, 700);
    EXPECT_EQ(stored.h, 599);

    // A full-screen window is never fitted, whatever its size.
    const SDL_Rect full = bounds();
    fitWindowToField();
    const SDL_Rect stillFull = bounds();
    EXPECT_EQ(stillFull.w, full.w);
    EXPECT_EQ(stillFull.h, full.h);
    EXPECT_EQ(windowFitting().fittedWidth, 700);
    EXPECT_EQ(windowFitting().fittedHeight, 599);

    selected = 3;
    toggleFullscreen();
    EXPECT_EQ(selected, -1);
    EXPECT_FALSE(SDL_GetWindowFlags(window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP));
    const SDL_Rect after = bounds();
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(after.w, before.w);
    EXPECT_EQ(after.h, before.h);
}

TEST_F(WindowOffscreen, NoWindowDoesNothing) {
    SDL_Window* const real = window;
    window = nullptr;
    setFittedSize(123, 45);
    const SDL_Rect savedBounds = windowFitting().windowedBounds;
    setWindowAspectHint();
    fitWindowToField();
    toggleFullscreen();
    window = real;
    const WindowFitting after = windowFitting();
    EXPECT_EQ(after.fittedWidth, 123);
    EXPECT_EQ(after.fittedHeight, 45);
    EXPECT_EQ(after.windowedBounds.x, savedBounds.x);
    EXPECT_EQ(after.windowedBounds.y, savedBounds.y);
    EXPECT_EQ(after.windowedBounds.w, savedBounds.w);
    EXPECT_EQ(after.windowedBounds.h, savedBounds.h);
}

}  // namespace
