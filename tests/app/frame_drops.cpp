// Events that carry memory SDL hands to the application: files and texts
// dropped on the window and long text being composed. The frame step frees
// each after it has taken the event, and such events still only redraw.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "shell/Frame.h"
#include "support/EventQueue.h"
#include "support/Headless.h"
#include "support/Pixels.h"
#include "support/Resident.h"
#include "support/TableState.h"

namespace {

// SDL's allocator, wrapped before SDL allocates anything: the names the test
// hands over are watched, and SDL_free takes them off the watch.
SDL_malloc_func realMalloc;
SDL_calloc_func realCalloc;
SDL_realloc_func realRealloc;
SDL_free_func realFree;
std::mutex watchLock;
std::set<void*> watched;

void watchingFree(void* p) {
    if (p) {
        std::lock_guard<std::mutex> hold(watchLock);
        watched.erase(p);
    }
    realFree(p);
}

const bool wrapped = [] {
    SDL_GetMemoryFunctions(&realMalloc, &realCalloc, &realRealloc, &realFree);
    return SDL_SetMemoryFunctions(realMalloc, realCalloc, realRealloc, watchingFree) == 0;
}();

// A string of SDL's allocator, as SDL fills a drop event with.
char* handedOver(const std::string& s) {
    char* copy = SDL_strdup(s.c_str());
    std::lock_guard<std::mutex> hold(watchLock);
    watched.insert(copy);
    return copy;
}

size_t stillHeld() {
    std::lock_guard<std::mutex> hold(watchLock);
    return watched.size();
}

SDL_Event carrying(Uint32 type, char* text) {
    SDL_Event e = event(type);
    if (type == SDL_TEXTEDITING_EXT)
        e.editExt.text = text;
    else
        e.drop.file = text;
    return e;
}

// One drop of a file manager: the begin, a name per file, the end.
void pushDrop(int files, const std::string& name) {
    push(event(SDL_DROPBEGIN));
    for (int i = 0; i < files; ++i) push(carrying(SDL_DROPFILE, handedOver(name + std::to_string(i))));
    push(event(SDL_DROPCOMPLETE));
}

class Drops : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(wrapped);
        ASSERT_TRUE(startHeadless()) << SDL_GetError();
    }
    void SetUp() override {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        clearTable();
        seed = 1234;
        reset(false);
        startFrames();
        frame();
    }
};

TEST_F(Drops, EveryEventThatCarriesMemoryIsFreedAndOnlyRedraws) {
    struct Case {
        const char* name;
        Uint32 type;
        const char* text;  // null: the event carries none
    } cases[] = {
        {"drop begins", SDL_DROPBEGIN, nullptr},
        {"a file", SDL_DROPFILE, "/home/spieler/Bilder/Karo König.png"},
        {"a text", SDL_DROPTEXT, "Herz Ass"},
        {"drop complete", SDL_DROPCOMPLETE, nullptr},
        {"long text being composed", SDL_TEXTEDITING_EXT, "Ein Text, der länger ist als die 32 Bytes des Ereignisses"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const sol::State before = game.state;
        const unsigned int seedBefore = seed;
        push(carrying(c.type, c.text ? handedOver(c.text) : nullptr));
        // The window painted over shows whether the frame drew.
        SDL_SetRenderTarget(renderer, nullptr);
        SDL_SetRenderDrawColor(renderer, 255, 0, 255, 255);
        SDL_RenderClear(renderer);
        frame();
        EXPECT_EQ(0u, stillHeld()) << "the event's memory was not freed";
        EXPECT_NE(Rgb({255, 0, 255}), readWindow().at(300, 300)) << "the event did not redraw";
        EXPECT_EQ(game.state, before);
        EXPECT_EQ(seed, seedBefore);
        EXPECT_FALSE(help);
        EXPECT_FALSE(menu);
        EXPECT_TRUE(running);
    }
}

// A thousand drops of 100 KB of names each, ten drops a frame: everything
// SDL handed over is freed, and resident memory stays within 1 MB. (Under
// AddressSanitizer freed memory is held back for a while, so resident
// memory tells nothing there.)
TEST_F(Drops, AThousandDropsLeaveResidentMemoryFlat) {
    const std::string name = "/home/spieler/" + std::string(25000, 'k') + "/";
    auto drops = [&name](int n) {
        for (int drop = 0; drop < n; ++drop) {
            pushDrop(4, name);
            if (drop % 10 == 9) frame();
        }
    };
    drops(100);  // the allocator settles first
    const long before = residentKiB();
    ASSERT_GT(before, 0);
    drops(1000);
    EXPECT_EQ(0u, stillHeld());
    const long grown = residentKiB() - before;
    std::printf("resident memory over 1000 drops: %+ld KiB\n", grown);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "resident memory under AddressSanitizer";
#else
    EXPECT_LT(grown, 1024);
#endif
}

}  // namespace
