// What the probes that drive the real game from outside share: the game's
// CPU time read from /proc, the pointer and button through XTest, rows of
// the window's pixels, and percentiles.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace probe {

using Clock = std::chrono::steady_clock;

inline Display*& display() {
    static Display* d = nullptr;
    return d;
}

// Nanoseconds on the CPU of each thread of the process, by thread id, from
// the scheduler's own accounting.
inline std::map<std::string, double> threadNanos(int pid) {
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

// Seconds on the CPU between two readings, thread by thread: a thread that
// ends in between (the sound's, when it rests) would take its whole time
// with it from a plain sum.
inline double spentSeconds(const std::map<std::string, double>& before, const std::map<std::string, double>& after) {
    double spent = 0;
    for (const auto& [thread, ns] : after) {
        auto was = before.find(thread);
        spent += ns - (was == before.end() ? 0 : was->second);
    }
    return spent / 1e9;
}

// The process's user and system clock ticks, all threads, as /proc/<pid>/stat
// counts them.
inline long clockTicks(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The fields after the command's closing parenthesis: state is the 3rd
    // field of the whole line, utime the 14th and stime the 15th.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < line.size()) {
        size_t end = line.find(' ', at);
        if (end == std::string::npos) end = line.size();
        fields.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    if (fields.size() < 13) return 0;
    return std::stol(fields[11]) + std::stol(fields[12]);
}

inline void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The pointer to a point of the screen.
inline void moveTo(int x, int y) {
    XTestFakeMotionEvent(display(), -1, x, y, CurrentTime);
    XFlush(display());
}

inline void button(bool down) {
    XTestFakeButtonEvent(display(), 1, down ? True : False, CurrentTime);
    XFlush(display());
}

// One row of a window's pixels.
inline std::vector<unsigned long> row(Window window, int y, int width) {
    std::vector<unsigned long> pixels(static_cast<size_t>(width));
    XImage* image = XGetImage(display(), window, 0, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(x)] = XGetPixel(image, x, 0);
    XDestroyImage(image);
    return pixels;
}

inline double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// Milliseconds from a pointer motion to the first change of the window's row
// y; a change that never comes counts as the second waited for it.
inline double motionToScreen(Window window, int y, int width, int toX, int toY) {
    const std::vector<unsigned long> before = row(window, y, width);
    moveTo(toX, toY);
    const auto t0 = Clock::now();
    while (true) {
        const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (row(window, y, width) != before || elapsed > 1000) return elapsed;
    }
}

}  // namespace probe
