// Drives a running game on an X server as a player would and prints what it
// costs: CPU at rest with a freshly dealt game and with the clock running, CPU
// through a held drag, and the time from a pointer motion during a drag to
// the changed pixels on the screen, found by polling the window's pixels.
// CPU is the scheduler's own time of all the game's threads.
//
// Usage: bench_rest_probe <game pid> <window id> [rest seconds [motions]]
// (bench/rest.sh starts the server and the game and calls it).
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "XProbe.h"

namespace {

using namespace probe;

Window game = 0;
int originX = 0, originY = 0;  // the window's top-left corner on the screen

// Percent of one core over the given time, as the game spends it.
double cpuOver(int pid, double seconds) {
    const auto before = threadNanos(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const auto after = threadNanos(pid);
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    return spentSeconds(before, after) / elapsed * 100;
}

// The pointer to a point of the window, in its pixels (the table's units at
// 760 x 650).
void moveInWindow(int x, int y) { moveTo(originX + x, originY + y); }

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
    display() = XOpenDisplay(nullptr);
    if (!display()) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(display(), game, &attributes);
    Window child;
    XTranslateCoordinates(display(), game, DefaultRootWindow(display()), 0, 0, &originX, &originY, &child);
    const int width = attributes.width;

    // At rest means the sound has gone quiet too: it rests 3 s after the last one.
    pause(4000);
    std::printf("rest, freshly dealt:   %6.3f %% of one core over %.0f s\n", cpuOver(pid, restSeconds), restSeconds);

    // A draw starts the clock and puts a card on the waste to drag.
    moveInWindow(64, 100);
    button(true);
    button(false);
    pause(4000);
    std::printf("rest, clock running:   %6.3f %% of one core over %.0f s\n", cpuOver(pid, restSeconds), restSeconds);

    // The waste's card picked up and held still.
    moveInWindow(166, 114);
    pause(100);
    button(true);
    pause(50);
    moveInWindow(170, 118);
    pause(200);
    std::printf("held drag:             %6.3f %% of one core over 3 s\n", cpuOver(pid, 3));

    // Motions during the drag, each timed to the first change of a row of
    // the window through the dragged card; the pauses between them vary so
    // that the motions fall at every phase of the game's frames.
    std::vector<double> latencies;
    const int y = 100;  // through the dragged card, which hangs 56 units above the pointer
    for (int i = 0; i < motions; ++i) {
        latencies.push_back(motionToScreen(game, y, width, originX + (i % 2 == 0 ? 400 : 170), originY + 118));
        pause(23 + (i * 7) % 31);
    }
    button(false);
    std::printf("motion to screen:      median %5.1f ms   p90 %5.1f ms   max %5.1f ms  (%d motions)\n",
                percentile(latencies, 0.5), percentile(latencies, 0.9), percentile(latencies, 1.0), motions);
    XCloseDisplay(display());
    return 0;
}
