// The fixture of the render surface and scene tests: the headless
// application at 760 x 650 with the colour atlas, on a cleared table, and
// the colours the scene draws, as read back.
#pragma once

#include <gtest/gtest.h>

#include "interaction/Actions.h"
#include "interaction/Pointer.h"
#include "presentation/Graphics.h"
#include "presentation/Scene.h"
#include "presentation/Table.h"
#include "presentation/Victory.h"
#include "sound/CardAudio.h"
#include "support/Cards.h"
#include "support/ColourAtlas.h"
#include "support/Headless.h"
#include "support/Pixels.h"
#include "support/TableState.h"

const Rgb tableGreen = {0, 128, 0};
const Rgb darkGreen = {0, 64, 0};
const Rgb lightGreen = {64, 176, 64};
const Rgb markGreen = {0, 96, 0};
const Rgb gold = {255, 210, 0};
const Rgb panelGrey = {192, 192, 192};
const Rgb navy = {0, 0, 128};

// Brings the application up once per test program, with the colour atlas,
// and each test at 760 x 650 on a cleared table.
class HeadlessScene : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!window) {
            ASSERT_TRUE(startHeadless()) << SDL_GetError();
            installColourAtlas();
        }
    }
    void SetUp() override {
        ASSERT_NE(nullptr, renderer);
        SDL_SetWindowSize(window, 760, 650);
        ASSERT_TRUE(resizeGraphics());
        ASSERT_EQ(760, frameArea().w);
        flushTextCache();
        // A test before may have drawn into the frame buffer itself.
        dropDrawnFrames();
        clearTable();
    }
};
