// The card sound player on SDL's disk audio driver, whose output file holds
// exactly what the device played: opening and closing, the backlog rule,
// the mute switch, the failures, and which game actions make a sound.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "interaction/Actions.h"
#include "sound/CardAudio.h"

namespace {

const Uint32 placeBytes = 14112, drawBytes = 12348;

std::string diskFile() {
    static const std::string path = [] {
        char dir[] = "/tmp/zarn-sound-XXXXXX";
        return std::string(mkdtemp(dir)) + "/out.raw";
    }();
    return path;
}

// Removes the driver's file and its directory after the run.
class DiskFileCleanup : public ::testing::Environment {
public:
    void TearDown() override {
        const std::string path = diskFile();
        std::remove(path.c_str());
        rmdir(path.substr(0, path.rfind('/')).c_str());
    }
};
const auto* const cleanup = ::testing::AddGlobalTestEnvironment(new DiskFileCleanup);

void quitAudio() {
    cardAudio.close();
    while (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Devices open in this process: SDL reports any id it does not know as stopped.
int openDevices() {
    int n = 0;
    for (SDL_AudioDeviceID id = 1; id <= 16; ++id) n += SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED;
    return n;
}

// Holds the queue still, so that its size is exactly what was queued.
void holdEmpty() {
    SDL_PauseAudioDevice(cardAudio.device, 1);
    SDL_ClearQueuedAudio(cardAudio.device);
}

Uint32 queued() { return SDL_GetQueuedAudioSize(cardAudio.device); }

std::vector<Uint8> readFile(const std::string& path) {
    std::vector<Uint8> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<Uint8>(c));
        std::fclose(f);
    }
    return bytes;
}

class CardSound : public ::testing::Test {
protected:
    void SetUp() override {
        quitAudio();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", diskFile().c_str(), 1);
        ASSERT_TRUE(cardAudio.open()) << SDL_GetError();
    }
    void TearDown() override {
        if (!cardAudio.enabled) cardAudio.toggle();
        quitAudio();
    }
};

TEST_F(CardSound, OpenTwiceLeavesOneDeviceCloseTwiceNone) {
    EXPECT_NE(cardAudio.device, 0u);
    EXPECT_EQ(cardAudio.length, placeBytes);
    EXPECT_EQ(cardAudio.drawLength, drawBytes);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(cardAudio.device), SDL_AUDIO_PLAYING);
    EXPECT_EQ(openDevices(), 1);

    ASSERT_TRUE(cardAudio.open());
    EXPECT_EQ(openDevices(), 1);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(cardAudio.device), SDL_AUDIO_PLAYING);

    cardAudio.toggle();  // the switch is the player's, not the device's
    cardAudio.close();
    cardAudio.close();
    EXPECT_EQ(openDevices(), 0);
    EXPECT_EQ(cardAudio.device, 0u);
    EXPECT_EQ(cardAudio.sample, nullptr);
    EXPECT_EQ(cardAudio.drawSample, nullptr);
    EXPECT_EQ(cardAudio.length, 0u);
    EXPECT_EQ(cardAudio.drawLength, 0u);
    EXPECT_FALSE(cardAudio.enabled);

    // Closed, nothing is queued and nothing breaks.
    cardAudio.play();
    cardAudio.playDraw();
    cardAudio.toggle();
    EXPECT_TRUE(cardAudio.enabled);
    EXPECT_EQ(openDevices(), 0);
}

TEST_F(CardSound, ABacklogOfMoreThanTwoSoundsIsDropped) {
    struct Case {
        bool draw;
        Uint32 waiting;
        Uint32 after;
    } cases[] = {
        {false, 28224, 28224 + placeBytes},  // exactly twice: appended
        {false, 28225, placeBytes},          // more: dropped, plays alone
        {false, 0, placeBytes},
        {true, 24696, 24696 + drawBytes},
        {true, 24697, drawBytes},
    };
    const std::vector<Uint8> silence(30000, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.waiting);
        holdEmpty();
        ASSERT_EQ(SDL_QueueAudio(cardAudio.device, silence.data(), c.waiting), 0);
        ASSERT_EQ(queued(), c.waiting);
        if (c.draw)
            cardAudio.playDraw();
        else
            cardAudio.play();
        EXPECT_EQ(queued(), c.after);
    }
    // Two placing sounds in a row queue one behind the other.
    holdEmpty();
    cardAudio.play();
    cardAudio.play();
    EXPECT_EQ(queued(), 2 * placeBytes);
}

TEST_F(CardSound, MutingClearsTheQueueAndQueuesNothing) {
    holdEmpty();
    cardAudio.play();
    cardAudio.playDraw();
    ASSERT_EQ(queued(), placeBytes + drawBytes);
    cardAudio.toggle();
    EXPECT_FALSE(cardAudio.enabled);
    EXPECT_EQ(queued(), 0u);
    cardAudio.play();
    cardAudio.playDraw();
    EXPECT_EQ(queued(), 0u);
    cardAudio.toggle();  // switching on plays nothing by itself
    EXPECT_EQ(queued(), 0u);
    cardAudio.play();
    EXPECT_EQ(queued(), placeBytes);
    // Nothing to queue: nothing happens.
    cardAudio.queue(nullptr, 100);
    cardAudio.queue(cardAudio.sample, 0);
    EXPECT_EQ(queued(), placeBytes);
}

void drain() {
    for (int i = 0; i < 300 && queued() > 0; ++i) SDL_Delay(10);
    ASSERT_EQ(queued(), 0u);
    SDL_Delay(60);  // the last buffer reaches the driver
}

bool contains(const std::vector<Uint8>& bytes, const std::vector<Uint8>& part) {
    return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

// The device plays the files' own samples unconverted, one sound after the
// other.
TEST_F(CardSound, TheDevicePlaysTheSamplesAsTheyAre) {
    std::vector<Uint8> twice(cardAudio.sample, cardAudio.sample + placeBytes);
    twice.insert(twice.end(), cardAudio.sample, cardAudio.sample + placeBytes);
    const std::vector<Uint8> draw(cardAudio.drawSample, cardAudio.drawSample + drawBytes);
    cardAudio.play();
    cardAudio.play();
    drain();
    cardAudio.playDraw();
    drain();
    cardAudio.close();  // flushes the driver's file
    const std::vector<Uint8> played = readFile(diskFile());
    EXPECT_TRUE(contains(played, twice)) << played.size() << " bytes played";
    EXPECT_TRUE(contains(played, draw));
}

TEST_F(CardSound, MovesAndDrawsMakeTheirSounds) {
    game.drawCount = 1;
    game.deal(77, 64);
    holdEmpty();

    EXPECT_FALSE(moveCard(2, 0, 6));  // refused (an empty foundation): silent
    EXPECT_EQ(queued(), 0u);

    drawFromStock();
    EXPECT_EQ(queued(), drawBytes);

    // Any move the rules allow, from the waste or the tableau.
    bool moved = false;
    for (int from = 1; from <= 12 && !moved; ++from) {
        const int n = static_cast<int>(game.state.piles[from].size());
        for (int i = 0; i < n && !moved; ++i)
            for (int to = 2; to <= 12 && !moved; ++to)
                if (game.canMove(from, i, to)) {
                    holdEmpty();
                    moved = moveCard(from, i, to);
                }
    }
    ASSERT_TRUE(moved) << "deal 77 has a move after one draw";
    EXPECT_EQ(queued(), placeBytes);

    // Turning the waste back over is silent.
    while (!game.state.piles[0].empty()) drawFromStock();
    holdEmpty();
    ASSERT_FALSE(game.state.piles[1].empty());
    drawFromStock();
    EXPECT_FALSE(game.state.piles[0].empty());
    EXPECT_EQ(queued(), 0u);

    // A muted game is silent.
    cardAudio.toggle();
    drawFromStock();
    EXPECT_EQ(queued(), 0u);
}

TEST(CardSoundUnavailable, OpenFailsCleanly) {
    struct Case {
        const char* driver;
        const char* file;
    } cases[] = {
        {"no-such-driver", nullptr},                    // no audio at all
        {"disk", "/nonexistent-zarn-dir/sub/out.raw"},  // no device opens
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.driver);
        quitAudio();
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        if (c.file) setenv("SDL_DISKAUDIOFILE", c.file, 1);
        SDL_ClearError();
        EXPECT_FALSE(cardAudio.open());
        EXPECT_STRNE(SDL_GetError(), "");
        EXPECT_EQ(cardAudio.device, 0u);
        EXPECT_EQ(cardAudio.sample, nullptr);
        EXPECT_EQ(cardAudio.drawSample, nullptr);
        EXPECT_EQ(cardAudio.length, 0u);
        EXPECT_EQ(openDevices(), 0);
        cardAudio.play();  // harmless without a device
        cardAudio.toggle();
        EXPECT_FALSE(cardAudio.enabled);
        cardAudio.toggle();
    }
    quitAudio();
}

}  // namespace
