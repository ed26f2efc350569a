// The two card sounds as complete WAV files, compiled into the program.
#pragma once

extern "C" {
extern const unsigned char cardPlaceWav[];
extern const unsigned int cardPlaceWavSize;  // 14156
extern const unsigned char cardDrawWav[];
extern const unsigned int cardDrawWavSize;  // 12392
}
