// The card sound player on SDL's disk audio driver, whose output file holds
// exactly what the device played: opening and closing, the backlog rule,
// the mute switch, the failures, which game actions make a sound, the rest
// and the wake, and a device that is slow to open (the driver writing into
// a FIFO opens only once something reads it). The player's clock is the
// test's and stands still unless a test moves it.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "interaction/Actions.h"
#include "sound/CardAudio.h"

namespace {

const Uint32 placeBytes = 14112, drawBytes = 12348;
const Uint32 patient = 30000;  // ms: how long a test waits for the sound thread

std::string scratchDir() {
    static const std::string path = [] {
        char dir[] = "/tmp/zarn-sound-XXXXXX";
        return std::string(mkdtemp(dir));
    }();
    return path;
}
std::string diskFile() { return scratchDir() + "/out.raw"; }
std::string fifo() { return scratchDir() + "/fifo"; }

// Removes the driver's files and their directory after the run.
class DiskFileCleanup : public ::testing::Environment {
public:
    void TearDown() override {
        std::remove(diskFile().c_str());
        std::remove(fifo().c_str());
        rmdir(scratchDir().c_str());
    }
};
const auto* const cleanup = ::testing::AddGlobalTestEnvironment(new DiskFileCleanup);

std::atomic<Uint32> now{100000};
Uint32 testTicks() { return now.load(); }

void quitAudio() {
    cardAudio.close();
    while (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Lines SDL logs, from any thread (the disk driver says who it is as the
// sound thread opens it).
struct LogLines {
    std::mutex lock;
    std::vector<std::string> lines;
    SDL_LogOutputFunction before = nullptr;
    void* beforeData = nullptr;

    LogLines() {
        SDL_LogGetOutputFunction(&before, &beforeData);
        SDL_LogSetOutputFunction(keep, this);
    }
    ~LogLines() { SDL_LogSetOutputFunction(before, beforeData); }
    static void keep(void* self, int, SDL_LogPriority, const char* message) {
        auto* log = static_cast<LogLines*>(self);
        std::lock_guard<std::mutex> hold(log->lock);
        log->lines.emplace_back(message);
    }
    // Lines that start with `prefix` and say something after it.
    int starting(const std::string& prefix) {
        std::lock_guard<std::mutex> hold(lock);
        int n = 0;
        for (const std::string& line : lines) n += line.rfind(prefix, 0) == 0 && line.size() > prefix.size();
        return n;
    }
};

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

// Opens the player on the disk driver writing into `file`.
void openOnDisk(const std::string& file) {
    quitAudio();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    cardAudio.ticks = testTicks;
    ASSERT_TRUE(cardAudio.open()) << SDL_GetError();
}

class CardSound : public ::testing::Test {
protected:
    void SetUp() override {
        openOnDisk(diskFile());
        ASSERT_TRUE(cardAudio.settle(patient));
        ASSERT_NE(cardAudio.device, 0u);
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
    ASSERT_TRUE(cardAudio.settle(patient));
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

std::vector<Uint8> placing() { return {cardAudio.sample, cardAudio.sample + placeBytes}; }
std::vector<Uint8> drawing() { return {cardAudio.drawSample, cardAudio.drawSample + drawBytes}; }

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

// After restAfterMs of silence the device and the audio system close, on
// the sound thread; the next sound opens them again and is heard. A muted
// game neither wakes the device nor plays anything.
TEST_F(CardSound, RestsAfterSilenceAndTheNextSoundWakesIt) {
    struct Case {
        const char* name;
        bool muted;
    } cases[] = {{"sound on", false}, {"muted", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.muted) cardAudio.toggle();
        cardAudio.play();
        drain();
        EXPECT_EQ(cardAudio.msToRest(now), 3000);
        now += 2999;
        EXPECT_EQ(cardAudio.msToRest(now), 1);
        now += 1;
        ASSERT_EQ(cardAudio.msToRest(now), 0);

        cardAudio.rest();
        EXPECT_EQ(cardAudio.device, 0u) << "the main thread lets go at once";
        EXPECT_TRUE(cardAudio.resting);
        ASSERT_TRUE(cardAudio.settle(patient));
        EXPECT_EQ(openDevices(), 0);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "nothing of the audio system stays awake";
        EXPECT_EQ(cardAudio.msToRest(now), -1) << "and nothing is left to wait for";

        cardAudio.playDraw();
        ASSERT_TRUE(cardAudio.settle(patient));
        EXPECT_EQ(cardAudio.device != 0, !c.muted);
        EXPECT_EQ(openDevices(), c.muted ? 0 : 1);
        if (!c.muted) drain();
        const std::vector<Uint8> draw = drawing();
        cardAudio.close();  // flushes the driver's file
        const std::vector<Uint8> played = readFile(diskFile());
        EXPECT_EQ(contains(played, draw), !c.muted) << played.size() << " bytes played";
        if (c.muted) {
            EXPECT_EQ(std::count(played.begin(), played.end(), 0), static_cast<long>(played.size()));
        }
        if (!cardAudio.enabled) cardAudio.toggle();
    }
}

// What the disk driver writes into a FIFO, read on a thread of its own from
// the moment it starts; the driver's open returns only then.
class FifoReader {
public:
    FifoReader() : reader([this] { read(); }) {}
    // Waits at most `patient` ms until the bytes read hold `part`.
    bool awaitBytes(const std::vector<Uint8>& part) {
        std::unique_lock<std::mutex> hold(lock);
        return grew.wait_for(hold, std::chrono::milliseconds(patient), [&] { return contains(bytes, part); });
    }
    std::vector<Uint8> got() {
        std::lock_guard<std::mutex> hold(lock);
        return bytes;
    }
    // Once the writer has closed. A writer that never came is stood in for,
    // so that the reader is not left waiting in its open.
    ~FifoReader() {
        const int standIn = ::open(fifo().c_str(), O_WRONLY | O_NONBLOCK);
        if (standIn >= 0) ::close(standIn);
        reader.join();
    }

private:
    std::mutex lock;
    std::condition_variable grew;
    std::vector<Uint8> bytes;
    std::thread reader;

    void read() {
        const int fd = ::open(fifo().c_str(), O_RDONLY);
        if (fd < 0) return;
        Uint8 buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
            std::lock_guard<std::mutex> hold(lock);
            bytes.insert(bytes.end(), buffer, buffer + n);
            grew.notify_all();
        }
        ::close(fd);
    }
};

void makeFifo() {
    std::remove(fifo().c_str());
    ASSERT_EQ(mkfifo(fifo().c_str(), 0600), 0);
}

// A sound asked for while the device is still opening is held: it plays as
// soon as the device is open, unless that took longer than holdMs or the
// game was muted meanwhile. A drawing sound played on the open device marks
// how far the output got: a held sound would come before it.
TEST(CardSoundOpening, ASoundAskedForWhileTheDeviceOpensPlaysOnceItIsOpenOrIsDropped) {
    struct Case {
        const char* name;
        Uint32 openAfterMs;
        bool muteMeanwhile;
        bool plays;
    } cases[] = {
        {"opens at once", 0, false, true},
        {"opens at the bound", CardAudio::holdMs, false, true},
        {"opens too late", CardAudio::holdMs + 1, false, false},
        {"muted meanwhile", 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeFifo();
        openOnDisk(fifo());
        cardAudio.play();
        EXPECT_EQ(cardAudio.device, 0u) << "nobody reads the FIFO yet: the device cannot be open";
        EXPECT_EQ(cardAudio.msToRest(now), static_cast<int>(CardAudio::patienceMs)) << "opening";
        now += c.openAfterMs;
        if (c.muteMeanwhile) {
            cardAudio.toggle();
            cardAudio.toggle();
        }
        {
            FifoReader output;
            EXPECT_TRUE(cardAudio.settle(patient));
            EXPECT_NE(cardAudio.device, 0u);
            const std::vector<Uint8> place = placing(), draw = drawing();
            cardAudio.playDraw();
            EXPECT_TRUE(output.awaitBytes(draw)) << "the marker reached the output";
            EXPECT_EQ(contains(output.got(), place), c.plays);
            cardAudio.close();
        }
        quitAudio();
    }
}

// A device that does not open within patienceMs is said once to be
// unavailable, and the loop is not woken for it again; should it open after
// all, it is taken into use, and rests like any other.
TEST(CardSoundOpening, AnOpenPastItsPatienceIsSaidOnceAndALateDeviceIsUsed) {
    LogLines log;
    makeFifo();
    openOnDisk(fifo());
    EXPECT_EQ(cardAudio.msToRest(now), static_cast<int>(CardAudio::patienceMs));
    now += CardAudio::patienceMs - 1;
    EXPECT_EQ(cardAudio.msToRest(now), 1);
    cardAudio.rest();  // not yet due: says nothing
    EXPECT_EQ(log.starting("Audio unavailable: "), 0);
    now += 1;
    EXPECT_EQ(cardAudio.msToRest(now), 0);
    cardAudio.rest();
    cardAudio.rest();
    EXPECT_EQ(log.starting("Audio unavailable: the sound device did not open"), 1);
    EXPECT_EQ(cardAudio.msToRest(now), -1);
    {
        FifoReader output;
        EXPECT_TRUE(cardAudio.settle(patient));
        EXPECT_NE(cardAudio.device, 0u);
        EXPECT_EQ(cardAudio.msToRest(now), 3000);
        cardAudio.close();
    }
    EXPECT_EQ(log.starting("Audio unavailable: "), 1);
    quitAudio();
}

// The device fails on the sound thread; the main thread says so once, keeps
// nothing and has nothing more to wait for.
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
        LogLines log;
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        if (c.file) setenv("SDL_DISKAUDIOFILE", c.file, 1);
        EXPECT_TRUE(cardAudio.open()) << "the sounds load; the device is the sound thread's";
        EXPECT_TRUE(cardAudio.settle(patient));
        EXPECT_EQ(log.starting("Audio unavailable: "), 1);
        EXPECT_EQ(cardAudio.msToRest(now), -1);
        EXPECT_EQ(cardAudio.device, 0u);
        EXPECT_EQ(cardAudio.sample, nullptr);
        EXPECT_EQ(cardAudio.drawSample, nullptr);
        EXPECT_EQ(cardAudio.length, 0u);
        EXPECT_EQ(openDevices(), 0);
        cardAudio.play();  // harmless without a device
        cardAudio.toggle();
        EXPECT_FALSE(cardAudio.enabled);
        cardAudio.toggle();
        EXPECT_TRUE(cardAudio.close());
        EXPECT_EQ(log.starting("Audio unavailable: "), 1) << "said once";
    }
    quitAudio();
}

}  // namespace
