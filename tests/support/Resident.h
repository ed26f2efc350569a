// The process's resident memory, for the long-session test and benchmark.
#pragma once

#include <fstream>
#include <string>

// VmRSS from /proc/self/status in KiB; -1 where it cannot be read.
inline long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}
