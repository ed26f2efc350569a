// Probing the display before SDL opens it, and telling a real video driver
// from SDL's windowless ones.
#include "window/Display.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct Probe {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
};

// SDL opens an X display only when no other driver was asked for.
bool sdlWouldOpenX11() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !driver || !*driver || SDL_strcasecmp(driver, "x11") == 0;
}

}  // namespace

bool displayAnswers(unsigned int timeoutMs) {
    if (!sdlWouldOpenX11()) return true;
    // A display that never answers blocks XOpenDisplay without end, so the
    // probe runs on a thread of its own that is left behind if it hangs.
    auto probe = std::make_shared<Probe>();
    std::thread opener([probe] {
        XInitThreads();
        if (Display* display = XOpenDisplay(nullptr)) XCloseDisplay(display);
        std::lock_guard<std::mutex> hold(probe->lock);
        probe->finished = true;
        probe->done.notify_one();
    });
    std::unique_lock<std::mutex> hold(probe->lock);
    const bool answered =
        probe->done.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return probe->finished; });
    hold.unlock();
    if (answered)
        opener.join();
    else
        opener.detach();
    return answered;
}

bool videoDriverShowsWindows() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    for (const char* windowless : {"offscreen", "dummy", "evdev"})
        if (std::strcmp(driver, windowless) == 0) return false;
    return true;
}
