// The card sounds: one queued-audio playback device, the placing and the
// drawing sound, and the mute switch. Owns `cardAudio`.
#pragma once

#include <SDL.h>

struct CardAudio {
    SDL_AudioDeviceID device = 0;
    Uint8* sample = nullptr;
    Uint32 length = 0;
    Uint8* drawSample = nullptr;
    Uint32 drawLength = 0;
    bool enabled = true;

    bool open();
    void queue(const Uint8* data, Uint32 bytes);
    void play();
    void playDraw();
    void toggle();
    void close();
    ~CardAudio();
};

extern CardAudio cardAudio;
