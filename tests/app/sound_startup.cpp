// The program without any audio output: it says so once on the log and runs
// its self-test silently to a pass.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shell/Program.h"
#include "sound/CardAudio.h"

namespace {

std::vector<std::string> logLines;

void keepLine(void*, int, SDL_LogPriority, const char* message) { logLines.push_back(message); }

TEST(SoundAtStartUp, NoAudioDeviceIsNotFatal) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    logLines.clear();
    SDL_LogSetOutputFunction(keepLine, nullptr);
    char program[] = "zarn", testmode[] = "--testmode";
    char* argv[] = {program, testmode, nullptr};
    EXPECT_EQ(runZarn(2, argv), 0);

    int unavailable = 0;
    bool passed = false;
    for (const std::string& line : logLines) {
        if (line.rfind("Audio unavailable: ", 0) == 0 && line.size() > 19) ++unavailable;
        passed = passed || line == "Test mode: passed";
    }
    EXPECT_EQ(unavailable, 1);
    EXPECT_TRUE(passed);
    EXPECT_EQ(cardAudio.device, 0u);
    EXPECT_EQ(cardAudio.sample, nullptr);
}

// A run as short as the self-test's may shut down before the sound thread has
// started: the device is still tried once, and its failure said.
TEST(SoundAtStartUp, ADeviceThatCannotOpenIsSaidEvenWhenShutDownComesFirst) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    for (int round = 0; round < 20; ++round) {
        logLines.clear();
        SDL_LogSetOutputFunction(keepLine, nullptr);
        CardAudio audio;
        audio.open();
        EXPECT_TRUE(audio.close());
        int unavailable = 0;
        for (const std::string& line : logLines) unavailable += line.rfind("Audio unavailable: ", 0) == 0;
        EXPECT_EQ(unavailable, 1) << "round " << round;
    }
}

}  // namespace
