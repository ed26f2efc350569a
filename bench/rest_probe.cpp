// Drives a running game on an X server as a player would and prints what it
// costs: CPU at rest with a freshly dealt game and with the clock running, CPU
// through a held drag, and the time from a pointer motion during a drag to
// the changed pixels on the screen, found by polling the window's pixels.
// CPU is the scheduler's own time of all the game's threads.
//
// Usage: bench_rest_probe <game pid> <window id> [rest seconds [motions]]
// (bench/rest.sh starts the server and the game and calls it).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Display* display = nullptr;
Window game = 0;
int originX = 0, originY = 0;  // the window's top-left corner on the screen

// Nanoseconds on the CPU of each thread of the process, by thread id.
std::map<std::string, double> threadNanos(int pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::map<std::string, double> nanos;
    if (DIR* dir = opendir(tasks.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
            double ns = 0;
            if (stat >> ns) nanos[entry->d_name] = ns;
        }
        closedir(dir);
    }
    return nanos;
}

// Percent of one core over the given time, as the game spends it. Counted
// thread by thread: a thread that ends in between (the sound's, when it
// rests) takes its whole time with it from a plain sum.
double cpuOver(int pid, double seconds) {
    const std::map<std::string, double> before = threadNanos(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const std::map<std::string, double> after = threadNanos(pid);
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    double spent = 0;
    for (const auto& [thread, ns] : after) {
        auto was = before.find(thread);
        spent += ns - (was == before.end() ? 0 : was->second);
    }
    return spent / 1e9 / elapsed * 100;
}

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The pointer to a point of the window, in its pixels (the table's units at
// 760 x 650).
void moveTo(int x, int y) {
    XTestFakeMotionEvent(display, -1, originX + x, originY + y, CurrentTime);
    XFlush(display);
}

void button(bool down) {
    XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
    XFlush(display);
}

// One row of the window's pixels.
std::vector<unsigned long> row(int y, int width) {
    std::vector<unsigned long> pixels(static_cast<size_t>(width));
    XImage* image = XGetImage(display, game, 0, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(x)] = XGetPixel(image, x, 0);
    XDestroyImage(image);
    return pixels;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <game pid> <window id> [rest seconds [motions]]\n", argv[0]);
        return 2;
    }
    const int pid = std::atoi(argv[1]);
    game = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    const double restSeconds = argc > 3 ? std::atof(argv[3]) : 10;
    const int motions = argc > 4 ? std::atoi(argv[4]) : 100;
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(display, game, &attributes);
    Window child;
    XTranslateCoordinates(display, game, DefaultRootWindow(display), 0, 0, &originX, &originY, &child);
    const int width = attributes.width;

    // At rest means the sound has gone quiet too: it rests 3 s after the last one.
    pause(4000);
    std::printf("rest, freshly dealt:   %6.3f %% of one core over %.0f s\n", cpuOver(pid, restSeconds), restSeconds);

    // A draw starts the clock and puts a card on the waste to drag.
    moveTo(64, 100);
    button(true);
    button(false);
    pause(4000);
    std::printf("rest, clock running:   %6.3f %% of one core over %.0f s\n", cpuOver(pid, restSeconds), restSeconds);

    // The waste's card picked up and held still.
    moveTo(166, 114);
    pause(100);
    button(true);
    pause(50);
    moveTo(170, 118);
    pause(200);
    std::printf("held drag:             %6.3f %% of one core over 3 s\n", cpuOver(pid, 3));

    // Motions during the drag, each timed to the first change of a row of
    // the window through the dragged card; the pauses between them vary so
    // that the motions fall at every phase of the game's frames.
    std::vector<double> latencies;
    const int y = 100;  // through the dragged card, which hangs 56 units above the pointer
    for (int i = 0; i < motions; ++i) {
        const std::vector<unsigned long> before = row(y, width);
        moveTo(i % 2 == 0 ? 400 : 170, 118);
        const auto t0 = Clock::now();
        double ms = -1;
        while (ms < 0) {
            const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            if (row(y, width) != before)
                ms = elapsed;
            else if (elapsed > 1000)
                ms = elapsed;  // never drawn: counted as the second it waited
        }
        latencies.push_back(ms);
        pause(23 + (i * 7) % 31);
    }
    button(false);
    std::printf("motion to screen:      median %5.1f ms   p90 %5.1f ms   max %5.1f ms  (%d motions)\n",
                percentile(latencies, 0.5), percentile(latencies, 0.9), percentile(latencies, 1.0), motions);
    XCloseDisplay(display);
    return 0;
}
