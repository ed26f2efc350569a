// The composed table read back from the frame buffer: piles and their marks,
// the waste fan, the selection frame, the drag, the status bar, the menu and
// the panels, and the copy to the window.
#include "interaction/ActionsTesting.h"
#include "interaction/PointerTesting.h"
#include "presentation/GraphicsTesting.h"
#include "presentation/VictoryTesting.h"
#include "support/SceneFixture.h"
#include "support/Tables.h"

#include <cmath>
#include <vector>

namespace {

using Scene = HeadlessScene;

Pixels composed() {
    render();
    return readPixels(frameBuffer);
}

// Each outline line of an empty place sampled at its middle.
void expectOutline(const Pixels& f, int p, bool present) {
    int x = px(p), y = py(p, 0);
    if (present) {
        EXPECT_EQ(darkGreen, f.at(x + 40, y)) << "top of " << p;
        EXPECT_EQ(darkGreen, f.at(x, y + 56)) << "left of " << p;
        EXPECT_EQ(lightGreen, f.at(x + 40, y + 112)) << "bottom of " << p;
        EXPECT_EQ(lightGreen, f.at(x + 80, y + 56)) << "right of " << p;
    } else {
        EXPECT_EQ(0, f.count(x, y, 81, 113, darkGreen) + f.count(x, y, 81, 113, lightGreen)) << p;
    }
}

// Ink of a cached text at its place: the text was drawn, exactly so, there.
void expectText(const Pixels& f, const std::string& s, int x, int y, SDL_Color c, Rgb background) {
    auto entry = cachedTexts().find(TextKey(s, c.r, c.g, c.b, false));
    ASSERT_NE(cachedTexts().end(), entry) << "\"" << s << "\" was not drawn";
    Rgb ink = {c.r, c.g, c.b};
    EXPECT_GT(f.count(x, y, entry->second.width, entry->second.height, ink), 3) << s;
    EXPECT_EQ(0, f.other(x - 3, y, 3, entry->second.height, background, background)) << s << " starts early";
}

TEST_F(Scene, EmptyPilesShowOutlinesAndOnlyStockAndFoundationsAMark) {
    Pixels f = composed();
    for (int p = 0; p < 13; ++p) {
        SCOPED_TRACE(p);
        expectOutline(f, p, true);
        int x = px(p), y = py(p, 0);
        int marks = f.count(x + 1, y + 1, 79, 111, darkGreen) + f.count(x + 1, y + 1, 79, 111, markGreen);
        if (p == 0 || (p >= 2 && p <= 5)) {
            EXPECT_GT(marks, 20);
        } else {
            EXPECT_EQ(79 * 111, f.count(x + 1, y + 1, 79, 111, tableGreen));
        }
    }
    EXPECT_EQ(1u, cachedTexts().count(TextKey("O", 0, 64, 0, true)));
    EXPECT_EQ(1u, cachedTexts().count(TextKey("A", 0, 96, 0, true)));
    EXPECT_GT(f.count(px(0) + 20, 90, 40, 50, darkGreen), 20) << "the O stands in the stock";
    for (int p = 2; p <= 5; ++p) {
        EXPECT_GT(f.count(px(p) + 20, 90, 40, 50, markGreen), 20) << "the A stands in foundation " << p;
        EXPECT_EQ(0, f.count(px(p) + 1, 59, 79, 111, darkGreen));
    }
}

TEST_F(Scene, DealtTableShowsStockBackAndEveryColumnCard) {
    game.deal(42, 64);
    Pixels f = composed();
    EXPECT_EQ(backColour, f.at(px(0) + 40, 58 + 56));
    expectOutline(f, 0, false);
    expectOutline(f, 1, true);
    for (int p = 6; p <= 12; ++p) {
        const sol::Pile& pile = game.state.piles[p];
        int n = static_cast<int>(pile.size());
        ASSERT_EQ(p - 5, n);
        for (int j = 0; j < n - 1; ++j) EXPECT_EQ(cardColour(pile[j]), f.at(px(p) + 40, py(p, j) + 12)) << p;
        EXPECT_EQ(cardColour(pile.back()), f.at(px(p) + 40, py(p, n - 1) + 100)) << p;
        EXPECT_EQ(tableGreen, f.at(px(p) + 40, py(p, n - 1) + 114)) << p;
        EXPECT_EQ(tableGreen, f.at(px(p) + 90, 300)) << "the gap right of " << p;
    }
}

TEST_F(Scene, LongColumnPacksItsCardsAboveTheStatusBar) {
    sol::Pile& column = game.state.piles[6];
    for (int i = 0; i < 6; ++i) column.push_back(faceDown(i % 4, i + 1));
    for (int rank = 13; rank >= 1; --rank) column.push_back(faceUp(rank % 2 ? 0 : 1, rank));
    Pixels f = composed();
    ASSERT_EQ(16, gap(6));
    EXPECT_EQ(cardColour(column[17]), f.at(64, 204 + 17 * 16 + 8));
    EXPECT_EQ(cardColour(column[18]), f.at(64, 492 + 111));
    EXPECT_EQ(tableGreen, f.at(64, 492 + 113));
}

struct FanCase {
    int drawCount, size, dragIndex;
    std::vector<std::pair<int, int>> shown;  // x, index
};

TEST_F(Scene, WasteFanInBothDrawModesAndWhileItsTopIsDragged) {
    const FanCase cases[] = {
        {3, 2, -1, {{126, 0}, {142, 1}}},
        {3, 5, -1, {{126, 2}, {142, 3}, {158, 4}}},
        {3, 5, 4, {{126, 2}, {142, 3}}},
        {3, 1, -1, {{126, 0}}},
        {1, 5, -1, {{126, 4}}},
        {1, 5, 4, {{126, 3}}},
        {1, 1, 0, {}},
        {3, 1, 0, {}},
    };
    for (const FanCase& c : cases) {
        clearTable();
        SCOPED_TRACE("draw " + std::to_string(c.drawCount) + ", waste " + std::to_string(c.size) + ", dragged " +
                     std::to_string(c.dragIndex));
        game.drawCount = c.drawCount;
        for (int i = 0; i < c.size; ++i) game.state.piles[1].push_back(faceUp(1, i + 1));
        if (c.dragIndex >= 0) {
            selected = 1;
            indexSelected = c.dragIndex;
            holdDrag({500, 400}, {0, 0}, 25);
        }
        Pixels f = composed();
        for (size_t k = 0; k < c.shown.size(); ++k) {
            bool last = k + 1 == c.shown.size();
            int x = c.shown[k].first + (last ? 40 : 8);
            EXPECT_EQ(faceColour(1, c.shown[k].second + 1), f.at(x, 58 + 56)) << "at x " << c.shown[k].first;
        }
        int end = c.shown.empty() ? 126 : c.shown.back().first + 80;
        EXPECT_EQ(tableGreen, f.at(end + 2, 58 + 56)) << "nothing right of the fan";
        expectOutline(f, 1, c.shown.empty());
        if (c.dragIndex >= 0) {
            EXPECT_EQ(faceColour(1, c.dragIndex + 1), f.at(540, 456)) << "the dragged card";
        }
    }
}

TEST_F(Scene, SelectionFrameIsGoldTwoUnitsInsideTheSelectedCardOnly) {
    sol::Pile& column = game.state.piles[6];
    column = {faceUp(0, 13), faceUp(1, 12), faceUp(0, 11)};
    selected = 6;
    indexSelected = 1;
    Pixels f = composed();
    const int y = 229;  // card 1 of the column
    for (auto p :
         {std::make_pair(24, y), std::make_pair(25, y + 1), std::make_pair(103, y), std::make_pair(102, y + 1),
          std::make_pair(64, y), std::make_pair(64, y + 1), std::make_pair(24, y + 20), std::make_pair(25, y + 20)})
        EXPECT_EQ(gold, f.at(p.first, p.second)) << p.first << "," << p.second;
    EXPECT_EQ(faceColour(1, 12), f.at(26, y + 2));
    EXPECT_EQ(faceColour(0, 11), f.at(24, 254)) << "the card above carries no frame";
    EXPECT_EQ(faceColour(0, 13), f.at(24, 204)) << "the card below carries no frame";
    EXPECT_EQ(0, f.count(0, 254, W, 400 - 254, gold));

    clearTable();
    game.drawCount = 3;
    for (int i = 0; i < 5; ++i) game.state.piles[1].push_back(faceUp(2, i + 1));
    selected = 1;
    indexSelected = 4;
    f = composed();
    EXPECT_EQ(gold, f.at(158, 58));
    EXPECT_EQ(gold, f.at(159 + 78, 59 + 110));
    EXPECT_EQ(faceColour(2, 5), f.at(160, 60));
    EXPECT_EQ(faceColour(2, 4), f.at(142, 58));
}

TEST_F(Scene, DraggedCardsFollowThePointerAndLeaveTheirPlace) {
    game.state.piles[6] = {faceDown(3, 9), faceUp(0, 13), faceUp(1, 12), faceUp(0, 11)};
    game.state.piles[2] = {faceUp(3, 1), faceUp(3, 2)};
    game.state.piles[8] = {faceUp(2, 13)};
    selected = 6;
    indexSelected = 2;
    holdDrag({400, 300}, {10, 5}, 25);  // the pointer, the grab within the card, the spacing
    Pixels f = composed();
    EXPECT_EQ(faceColour(0, 13), f.at(64, 229 + 100)) << "the card left behind shows whole";
    EXPECT_EQ(tableGreen, f.at(64, 229 + 114));
    SDL_Point first = draggedPosition(0), second = draggedPosition(1);
    ASSERT_EQ(390, first.x);
    EXPECT_EQ(faceColour(1, 12), f.at(first.x + 40, first.y + 12));
    EXPECT_EQ(faceColour(1, 12), f.at(first.x, first.y)) << "dragged cards carry no frame";
    EXPECT_EQ(faceColour(0, 11), f.at(second.x + 40, second.y + 100));
    EXPECT_EQ(0, f.count(0, 0, W, H, gold));

    // A foundation's top card dragged leaves the place bare: no card, no outline.
    selected = 2;
    indexSelected = 1;
    f = composed();
    EXPECT_EQ(80 * 112, f.count(px(2), 58, 80, 112, tableGreen));
    expectOutline(f, 2, false);
    EXPECT_EQ(faceColour(3, 2), f.at(first.x + 40, first.y + 56));

    // So does a whole column dragged from its first card.
    selected = 8;
    indexSelected = 0;
    f = composed();
    EXPECT_EQ(80 * 112, f.count(px(8), 204, 80, 112, tableGreen));
    expectOutline(f, 8, false);

    // The status bar is drawn over a card dragged into it.
    holdDrag({300, 600}, {0, 0}, 25);
    f = composed();
    EXPECT_EQ(faceColour(2, 13), f.at(340, 610));
    EXPECT_EQ(panelGrey, f.at(340, 635));
}

struct StatusCase {
    int drawCount;
    bool sound;
    int score;
    Uint32 startTicks, winTicks;
    std::string mode, points, time;
};

TEST_F(Scene, StatusBarShowsDrawModeSoundScoreAndFrozenTime) {
    const StatusCase cases[] = {
        {1, true, 0, 0, 0, "1 Karte", "Punkte: 0", "Zeit: 0"},
        {3, true, 125, 1000, 62500, "3 Karten", "Punkte: 125", "Zeit: 61"},
        {1, false, 7, 1000, 1999, "1 Karte   Ton aus", "Punkte: 7", "Zeit: 0"},
        {3, false, 4210, 5, 3600005, "3 Karten   Ton aus", "Punkte: 4210", "Zeit: 3600"},
    };
    for (const StatusCase& c : cases) {
        clearTable();
        SCOPED_TRACE(c.mode);
        game.drawCount = c.drawCount;
        game.state.score = c.score;
        cardAudio.enabled = c.sound;
        setClockMarks({c.startTicks, c.winTicks});
        flushTextCache();
        Pixels f = composed();
        expectText(f, c.mode, 12, 628, black, panelGrey);
        expectText(f, c.points, 460, 628, black, panelGrey);
        expectText(f, c.time, 622, 628, black, panelGrey);
        expectText(f, "Spiel", 12, 6, black, panelGrey);
        expectText(f, "Zurück", 80, 6, black, panelGrey);
        expectText(f, "Hilfe", 170, 6, black, panelGrey);
        EXPECT_EQ(panelGrey, f.at(300, 640));
        EXPECT_EQ(Rgb({64, 64, 64}), f.at(300, 649));
        EXPECT_EQ(Rgb({255, 255, 255}), f.at(300, 622));
    }
}

TEST_F(Scene, MenuListsItsFiveEntriesOverTheTable) {
    game.deal(42, 64);
    menu = true;
    Pixels f = composed();
    EXPECT_EQ(Rgb({255, 255, 255}), f.at(100, 29)) << "the menu's top edge covers the bar's last row";
    EXPECT_EQ(Rgb({64, 64, 64}), f.at(257, 100));
    EXPECT_EQ(Rgb({64, 64, 64}), f.at(100, 195));
    EXPECT_EQ(panelGrey, f.at(200, 180));
    EXPECT_EQ(backColour, f.at(166, 210)) << "only the menu's rectangle is covered";
    EXPECT_EQ(tableGreen, f.at(259, 100));
    const char* labels[] = {"Neues Spiel       F2", "Erneut geben      F3", "1 / 3 Karten      D",
                            "Rueckgaengig      Strg+Z", "Beenden"};
    for (int j = 0; j < 5; ++j) expectText(f, labels[j], 12, 39 + 32 * j, black, panelGrey);
    EXPECT_EQ(0u, cachedTexts().count(TextKey("Gewonnen!", 255, 255, 255, false)));
}

TEST_F(Scene, HelpPanelShowsTitleAndSevenLines) {
    help = true;
    Pixels f = composed();
    EXPECT_EQ(navy, f.at(89, 224));
    EXPECT_EQ(navy, f.at(670, 248));
    EXPECT_EQ(panelGrey, f.at(88, 250));
    EXPECT_EQ(Rgb({255, 255, 255}), f.at(85, 220));
    EXPECT_EQ(Rgb({64, 64, 64}), f.at(674, 454));
    EXPECT_EQ(tableGreen, f.at(675, 300));
    expectText(f, "Zarn - Solitär", 100, 228, white, navy);
    const char* lines[] = {
        "Ziel: Ass bis Koenig, jede Farbe auf einen Stapel.",
        "Spalten: absteigend und abwechselnd rot / schwarz.",
        "Nur Koenige duerfen auf eine leere Spalte.",
        "Karten ziehen oder anklicken, dann das Ziel anklicken.",
        "Doppelklick: auf Ass-Stapel. Leertaste: Karte ziehen.",
        "F2: neu   F3: erneut   D: 1/3 Karten   Strg+Z: zurueck",
        "S: Ton an/aus. Klicken zum Schliessen.",
    };
    for (int j = 0; j < 7; ++j) expectText(f, lines[j], 100, 264 + 25 * j, black, panelGrey);
}

TEST_F(Scene, VictoryPanelWaitsForTheFlightUnlessHelpIsOpen) {
    game.state = wonTable();
    winAnimating = true;
    Pixels f = composed();
    EXPECT_EQ(tableGreen, f.at(300, 300)) << "no panel during the flight";

    help = true;
    f = composed();
    expectText(f, "Gewonnen!", 100, 228, white, navy);
    expectText(f, "Alle Karten sind abgelegt. Glueckwunsch!", 164, 280, black, panelGrey);
    expectText(f, "Klicken fuer ein neues Spiel.", 164, 322, black, panelGrey);
    EXPECT_EQ(panelGrey, f.at(120, 270)) << "no help lines on the victory panel";

    help = false;
    winAnimating = false;
    f = composed();
    EXPECT_EQ(navy, f.at(89, 224));
    expectText(f, "Gewonnen!", 100, 228, white, navy);
}

TEST_F(Scene, FoundationsEmptyFromTheTopAsTheirCardsTakeOff) {
    game.state = wonTable();
    winAnimating = true;
    auto flying = [](int suit, int rank, bool launched) {
        FlyingCard c;
        c.card = faceUp(suit, rank);
        c.launched = launched;
        return c;
    };
    for (int rank = 13; rank >= 11; --rank) flyingCards.push_back(flying(0, rank, true));
    for (int rank = 13; rank >= 1; --rank) flyingCards.push_back(flying(1, rank, true));
    flyingCards.push_back(flying(2, 13, false));
    Pixels f = composed();
    EXPECT_EQ(faceColour(0, 10), f.at(px(2) + 40, 114));
    EXPECT_EQ(80 * 112, f.count(px(3), 58, 80, 112, tableGreen)) << "all hearts have flown";
    EXPECT_EQ(faceColour(2, 13), f.at(px(4) + 40, 114)) << "a waiting card stays";
    EXPECT_EQ(faceColour(3, 13), f.at(px(5) + 40, 114));
}

TEST_F(Scene, WindowGetsTheWholeFrameWithGreenBarsBeside) {
    // A narrow window: the table is fitted at scale 0.75, with bars above and
    // below. (The offscreen driver's GL surface keeps its first size, so the
    // window is made smaller, not wider.)
    game.deal(42, 64);
    SDL_SetWindowSize(window, 570, 650);
    render();
    ASSERT_EQ(570, frameArea().w);
    ASSERT_EQ(487, frameArea().h) << "the 487.5 rows that SDL shows, cut to whole ones";
    // The whole window, bars included.
    const Pixels shot = readWindow();
    ASSERT_EQ(570, shot.width);
    ASSERT_EQ(650, shot.height);
    for (int x : {0, 285, 569}) {
        EXPECT_EQ(tableGreen, shot.at(x, 0));
        EXPECT_EQ(tableGreen, shot.at(x, 79));
        EXPECT_EQ(tableGreen, shot.at(x, 570));
        EXPECT_EQ(tableGreen, shot.at(x, 649));
    }
    EXPECT_EQ(Rgb({255, 255, 255}), shot.at(0, 81)) << "the top bar's corner";
    EXPECT_EQ(panelGrey, shot.at(225, 81 + 10));
    EXPECT_EQ(backColour, shot.at(48, 81 + 85)) << "the stock, at three quarters";
    EXPECT_EQ(panelGrey, shot.at(285, 81 + 480));
}

// Window sizes whose fitted scale is fractional, where a bar's edge row is
// partly bar: the trail may paint none of the bars' pixels. The heights
// include full screen on 1920 x 1080.
TEST_F(Scene, TrailNeverCoversABarAtAnyScale) {
    const int sizes[][2] = {{760, 650},   {1140, 975}, {950, 813},  {777, 665},   {1110, 950}, {1233, 1055},
                            {1365, 1168}, {500, 428},  {1052, 900}, {1920, 1080}, {761, 700}};
    for (const auto& size : sizes) {
        SDL_SetWindowSize(window, size[0], size[1]);
        ASSERT_TRUE(resizeGraphics());
        const int bufferWidth = frameArea().w, bufferHeight = frameArea().h;
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + ", buffer " +
                     std::to_string(bufferWidth) + "x" + std::to_string(bufferHeight));
        clearTable();
        const Pixels bare = composed();
        // Imprints over the whole table, from above the top bar to below the
        // status bar.
        std::vector<WinStamp> imprints;
        for (int y = -100; y < H; y += 40)
            for (int x = -40; x < W; x += 60) imprints.push_back({faceUp((x + y) & 3, 13), x, y});
        setWinImprints(imprints);
        const Pixels trail = composed();
        clearWinAnimation();

        // The bars' rows are those that are not table green in the middle of
        // the bare table, above its first and below its last green row.
        const int mid = bufferWidth / 2;
        int top = 0, bottom = bufferHeight - 1;
        while (top < bufferHeight && bare.at(mid, top) != tableGreen) ++top;
        while (bottom >= 0 && bare.at(mid, bottom) != tableGreen) --bottom;
        ASSERT_GT(top, 0);
        ASSERT_LT(bottom, bufferHeight - 1);
        int covered = 0;
        for (int y = 0; y < bufferHeight; ++y) {
            if (y >= top && y <= bottom) continue;
            for (int x = 0; x < bufferWidth; ++x) covered += trail.at(x, y) != bare.at(x, y);
        }
        EXPECT_EQ(0, covered) << "bar pixels painted by the trail (bars end at row " << top << ", start at row "
                              << bottom + 1 << ")";
        EXPECT_NE(bare.at(mid, top + 2), trail.at(mid, top + 2)) << "the trail reaches up to the top bar";
        EXPECT_NE(bare.at(mid, bottom - 2), trail.at(mid, bottom - 2)) << "and down to the status bar";
    }
}

// One line of the scene, from (x0, y0) to (x1, y1) in table units, both ends
// included, in one colour.
struct Edge {
    const char* name;
    int x0, y0, x1, y1;
    Rgb colour;
};

// The four edges of a raised panel.
std::vector<Edge> bevelEdges(const char* name, int x, int y, int w, int h) {
    const Rgb light = {255, 255, 255}, dark = {64, 64, 64};
    return {{name, x, y, x + w - 1, y, light},
            {name, x, y, x, y + h - 1, light},
            {name, x + w - 1, y, x + w - 1, y + h - 1, dark},
            {name, x, y + h - 1, x + w - 1, y + h - 1, dark}};
}

// Output pixels along an edge, clear of its two end units (where the edge
// meets another), that show none of the edge's colour in the rows (or
// columns) the edge's unit overlaps: gaps in the line. Sets `along` to the
// number of pixels looked at.
int gapsIn(const Pixels& f, const Edge& e, int& along) {
    const bool across = e.y0 == e.y1;  // a horizontal line
    const SDL_FPoint drawing = drawingScale();
    const double scale = across ? drawing.x : drawing.y;
    const double thick = across ? drawing.y : drawing.x;
    const int from = across ? e.x0 : e.y0, to = across ? e.x1 : e.y1, at = across ? e.y0 : e.x0;
    // Pixels wholly within the units strictly between the ends.
    const int first = static_cast<int>(std::ceil((from + 1) * scale));
    const int last = static_cast<int>(std::floor(to * scale)) - 1;
    const int low = static_cast<int>(std::floor(at * thick));
    const int high = static_cast<int>(std::ceil((at + 1) * thick)) - 1;
    int gaps = 0;
    along = 0;
    for (int p = first; p <= last; ++p, ++along) {
        bool seen = false;
        for (int q = low; q <= high && !seen; ++q) seen = (across ? f.at(p, q) : f.at(q, p)) == e.colour;
        gaps += !seen;
    }
    return gaps;
}

// Below scale 1 a line one unit thick is narrower than a pixel; every
// outline, panel edge and selection frame must still show along its whole
// length. At scale 1 and above the same holds for the pixels as they are.
// The sizes go down to scale 0.46: further down the fonts stay at 8 points,
// and their text may reach over a bar's edge.
TEST_F(Scene, EveryOutlineIsUnbrokenAtEveryWindowSize) {
    const int sizes[][2] = {{351, 300}, {500, 428}, {650, 556}, {380, 325}, {570, 650}, {700, 599},
                            {759, 650}, {444, 380}, {600, 513}, {760, 650}, {1140, 975}};
    // Every place empty but the last column, whose one card is selected.
    std::vector<Edge> table = bevelEdges("top bar", 0, 0, W, topBarHeight);
    const std::vector<Edge> status = bevelEdges("status bar", 0, statusBarTop, W, H - statusBarTop);
    table.insert(table.end(), status.begin(), status.end());
    static const char* const places[12] = {"stock",        "waste",        "foundation 2", "foundation 3",
                                           "foundation 4", "foundation 5", "column 6",     "column 7",
                                           "column 8",     "column 9",     "column 10",    "column 11"};
    for (int p = 0; p < 12; ++p) {
        const int x = px(p), y = py(p, 0);
        table.push_back({places[p], x, y, x + CW, y, darkGreen});
        table.push_back({places[p], x, y, x, y + CH, darkGreen});
        table.push_back({places[p], x, y + CH, x + CW, y + CH, lightGreen});
        table.push_back({places[p], x + CW, y, x + CW, y + CH, lightGreen});
    }
    for (int inset = 0; inset < 2; ++inset) {
        const int x = px(12) + inset, y = py(12, 0) + inset, r = px(12) + CW - 1 - inset,
                  b = py(12, 0) + CH - 1 - inset;
        table.push_back({"selection", x, y, r, y, gold});
        table.push_back({"selection", x, y, x, b, gold});
        table.push_back({"selection", r, y, r, b, gold});
        table.push_back({"selection", x, b, r, b, gold});
    }
    std::vector<Edge> panels = bevelEdges("menu", menuX, menuY, menuWidth, menuHeight);
    const std::vector<Edge> helpPanel = bevelEdges("help", 85, 220, 590, 235);
    panels.insert(panels.end(), helpPanel.begin(), helpPanel.end());

    for (const auto& size : sizes) {
        SDL_SetWindowSize(window, size[0], size[1]);
        ASSERT_TRUE(resizeGraphics());
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        for (bool overlays : {false, true}) {
            clearTable();
            game.state.piles[12] = {faceUp(1, 13)};
            selected = 12;
            indexSelected = 0;
            menu = help = overlays;
            const Pixels f = composed();
            for (const Edge& e : overlays ? panels : table) {
                int along = 0;
                const int gaps = gapsIn(f, e, along);
                EXPECT_EQ(0, gaps) << e.name << " (" << e.x0 << "," << e.y0 << ")-(" << e.x1 << "," << e.y1
                                   << "): " << gaps << " of " << along << " pixels missing";
                EXPECT_GT(along, 0) << e.name;
            }
        }
    }
    SDL_SetWindowSize(window, 760, 650);
}

// Wherever the fitted size is fractional, the frame buffer is the very area
// that SDL shows the table in, centred in the window, and reaches it pixel
// for pixel: every row and column of the table is seen. (The offscreen
// driver's GL surface keeps its first size, so the sizes are all within
// 760 x 650.)
TEST_F(Scene, EveryPixelOfTheFrameReachesTheWindow) {
    const int sizes[][2] = {{760, 650}, {570, 650}, {500, 428}, {700, 599}, {333, 290},
                            {760, 600}, {190, 163}, {759, 650}, {380, 325}};
    game.deal(42, 64);
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        SDL_SetWindowSize(window, w, h);
        render();
        const Pixels frame = readPixels(frameBuffer);
        const Pixels shot = readWindow();
        ASSERT_EQ(w, shot.width);
        ASSERT_EQ(h, shot.height);

        const int left = (w - frame.width) / 2, top = (h - frame.height) / 2;
        EXPECT_TRUE(frame.width == w || frame.height == h) << "fitted to one side of the window";
        int differing = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                differing += (shot.raw(x + left, y + top) & 0xFFFFFF) != (frame.raw(x, y) & 0xFFFFFF);
        EXPECT_EQ(0, differing) << "of " << frame.width << "x" << frame.height << " pixels at " << left << "," << top;
        int outside = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (y < top || y >= top + frame.height || x < left || x >= left + frame.width)
                    outside += (shot.raw(x, y) & 0xFFFFFF) != 0x008000;
        EXPECT_EQ(0, outside) << "pixels beside the table that are not table green";
    }
    SDL_SetWindowSize(window, 760, 650);
}

}  // namespace
