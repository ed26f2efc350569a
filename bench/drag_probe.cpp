// Drives a drag in a running game on an X server and prints what it costs:
// the game's CPU time through a run of pointer motions that carry a card
// over the piles, the top bar and the status bar, one motion every 10 ms as
// a mouse reports them; then the time from a motion to the changed pixels
// on the screen. Works at any window size and state: the table's place in
// the window is worked out as SDL lays it out.
//
// Usage: bench_drag_probe <game pid> <window id> [steps [motions]]
// (bench/drag.sh starts the servers and the games and calls it).
// Prints one line: "steps S cpu-ms C ticks T latency-median M latency-p90 P".
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "XProbe.h"

namespace {

using namespace probe;

Window game = 0;
double originX = 0, originY = 0;  // the table's top-left corner on the screen
double scale = 1;                 // screen pixels per table unit

void moveToUnit(double x, double y) {
    moveTo(static_cast<int>(std::lround(originX + x * scale)), static_cast<int>(std::lround(originY + y * scale)));
}

struct Point {
    double x, y;
};

// The pointer's way during the measured drag, in table units: from the
// waste over the columns, up into the top bar, down into the status bar and
// back.
const Point path[] = {{170, 118}, {700, 300}, {420, 15}, {90, 640}, {650, 600}, {300, 250}, {170, 118}};

// Position `i` of `steps` spread evenly along the path.
Point along(int i, int steps) {
    const int legs = static_cast<int>(sizeof path / sizeof path[0]) - 1;
    const double t = static_cast<double>(i) / steps * legs;
    const int leg = std::min(legs - 1, static_cast<int>(t));
    const double f = t - leg;
    return {path[leg].x + (path[leg + 1].x - path[leg].x) * f, path[leg].y + (path[leg + 1].y - path[leg].y) * f};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <game pid> <window id> [steps [motions]]\n", argv[0]);
        return 2;
    }
    const int pid = std::atoi(argv[1]);
    game = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    const int steps = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;
    const int motions = argc > 4 ? std::max(1, std::atoi(argv[4])) : 40;
    display() = XOpenDisplay(nullptr);
    if (!display()) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(display(), game, &attributes);
    int windowX = 0, windowY = 0;
    Window child;
    XTranslateCoordinates(display(), game, DefaultRootWindow(display()), 0, 0, &windowX, &windowY, &child);
    // SDL's logical size: the table fitted into the window, centred.
    scale = std::min(attributes.width / 760.0, attributes.height / 650.0);
    originX = windowX + (attributes.width - 760 * scale) / 2;
    originY = windowY + (attributes.height - 650 * scale) / 2;

    // A draw puts a card on the waste; it is picked up and the drag begun.
    moveToUnit(64, 100);
    button(true);
    button(false);
    pause(500);
    moveToUnit(166, 114);
    pause(100);
    button(true);
    pause(50);
    moveToUnit(170, 118);
    pause(300);

    const auto cpuBefore = threadNanos(pid);
    const long ticksBefore = clockTicks(pid);
    for (int i = 1; i <= steps; ++i) {
        const Point p = along(i, steps);
        moveToUnit(p.x, p.y);
        pause(10);
    }
    const double cpuMs = spentSeconds(cpuBefore, threadNanos(pid)) * 1000;
    const long ticks = clockTicks(pid) - ticksBefore;

    // Motions timed to the first change of a row through the dragged card,
    // which hangs 56 units above the pointer; the pauses between them vary
    // so that the motions fall at every phase of the game's frames.
    std::vector<double> latencies;
    const int row = static_cast<int>(std::lround(originY - windowY + 100 * scale));
    for (int i = 0; i < motions; ++i) {
        const double x = i % 2 == 0 ? 400 : 170;
        latencies.push_back(motionToScreen(game, row, attributes.width,
                                           static_cast<int>(std::lround(originX + x * scale)),
                                           static_cast<int>(std::lround(originY + 118 * scale))));
        pause(23 + (i * 7) % 31);
    }
    moveToUnit(166, 114);
    button(false);
    std::printf("steps %d cpu-ms %.1f ticks %ld latency-median %.1f latency-p90 %.1f\n", steps, cpuMs, ticks,
                percentile(latencies, 0.5), percentile(latencies, 0.9));
    XCloseDisplay(display());
    return 0;
}
