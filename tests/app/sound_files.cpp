// The two card sounds as compiled into the program: the plain 44-byte WAV
// header and length byte for byte, and what the samples sound like in
// numbers: the peak, where it lies, a soft start and a silent tail.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/CardSoundData.h"

namespace {

struct Sound {
    const char* name;
    const unsigned char* bytes;
    unsigned int size;
    uint32_t dataBytes;
    int peak;
    double peakFromMs, peakToMs;
    double silentFromMs;
};

const Sound sounds[] = {
    {"placing", cardPlaceWav, cardPlaceWavSize, 14112, 8639, 35.0, 45.0, 130.0},
    {"drawing", cardDrawWav, cardDrawWavSize, 12348, 5991, 30.0, 50.0, 120.0},
};

std::vector<uint8_t> header(uint32_t dataBytes) {
    std::vector<uint8_t> h;
    auto text = [&h](const char* s) { h.insert(h.end(), s, s + 4); };
    auto u32 = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&h](uint16_t v) {
        h.push_back(static_cast<uint8_t>(v));
        h.push_back(static_cast<uint8_t>(v >> 8));
    };
    text("RIFF");
    u32(36 + dataBytes);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(44100);
    u32(88200);  // bytes per second
    u16(2);      // block align
    u16(16);     // bits per sample
    text("data");
    u32(dataBytes);
    return h;
}

std::vector<int> samples(const Sound& s) {
    std::vector<int> out;
    for (unsigned int i = 44; i + 1 < s.size; i += 2)
        out.push_back(static_cast<int16_t>(s.bytes[i] | (s.bytes[i + 1] << 8)));
    return out;
}

int frameAt(double ms) { return static_cast<int>(ms * 44.1); }

TEST(CardSoundFiles, HeaderAndLengthByteForByte) {
    EXPECT_EQ(cardPlaceWavSize, 14156u);
    EXPECT_EQ(cardDrawWavSize, 12392u);
    for (const Sound& s : sounds) {
        SCOPED_TRACE(s.name);
        ASSERT_EQ(s.size, 44 + s.dataBytes) << "nothing may follow the data chunk";
        const std::vector<uint8_t> expected = header(s.dataBytes);
        EXPECT_EQ(std::vector<uint8_t>(s.bytes, s.bytes + 44), expected);
    }
}

TEST(CardSoundFiles, PeakSoftStartAndSilentTail) {
    for (const Sound& s : sounds) {
        SCOPED_TRACE(s.name);
        const std::vector<int> pcm = samples(s);
        ASSERT_EQ(pcm.size(), s.dataBytes / 2);

        int loudest = 0;
        size_t at = 0;
        for (size_t i = 0; i < pcm.size(); ++i) {
            if (std::abs(pcm[i]) > loudest) {
                loudest = std::abs(pcm[i]);
                at = i;
            }
        }
        EXPECT_EQ(loudest, s.peak);
        EXPECT_GE(at, static_cast<size_t>(frameAt(s.peakFromMs)));
        EXPECT_LE(at, static_cast<size_t>(frameAt(s.peakToMs)));

        // No click: the first two milliseconds stay below 1 % of the peak and
        // rise from zero.
        EXPECT_EQ(pcm[0], 0);
        for (int i = 0; i < frameAt(2.0); ++i) EXPECT_LT(std::abs(pcm[i]), s.peak / 100) << i;

        // Silent from the given time to the end, and not silent long before.
        for (size_t i = frameAt(s.silentFromMs); i < pcm.size(); ++i) ASSERT_EQ(pcm[i], 0) << i;
        int lastSound = 0;
        for (size_t i = 0; i < pcm.size(); ++i)
            if (pcm[i] != 0) lastSound = static_cast<int>(i);
        EXPECT_GT(lastSound, frameAt(s.silentFromMs - 15.0));
    }
}

}  // namespace
