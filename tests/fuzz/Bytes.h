// The fuzzer's input read as a stream of choices. Past the end every read
// gives zero, so any input, the empty one included, is a valid program.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }

    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Little-endian; each read its own statement, as the order in which the
    // operands of one expression are evaluated differs between compilers.
    uint16_t u16() {
        const unsigned low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
    uint32_t u32() {
        const uint32_t low = u16();
        return low | static_cast<uint32_t>(u16()) << 16;
    }
    // 0 .. n-1, for n from 1 to 256.
    int below(int n) { return byte() % n; }
    bool flag() { return byte() & 1; }

    // Any int, weighted towards the small numbers that name piles and cards
    // but reaching both ends of the range and everything between.
    int anyInt() {
        static const int extremes[] = {INT_MIN, INT_MIN + 1, -1000000, -1, 13, 52, INT_MAX - 1, INT_MAX};
        switch (below(8)) {
        case 0:
            return extremes[below(8)];
        case 1: {
            const uint32_t raw = u32();
            int value;
            std::memcpy(&value, &raw, sizeof value);
            return value;
        }
        default:
            return below(26) - 3;  // -3 .. 22
        }
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A broken rule: say which and stop, so that the fuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const char* detail = "") {
    std::fprintf(stderr, "fuzz: %s%s%s\n", what, *detail ? ": " : "", detail);
    std::abort();
}
