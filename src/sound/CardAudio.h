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
    // An open device keeps a thread of the audio system awake even in
    // silence. After restAfterMs without a sound it rests: the device and the
    // audio system are closed, and the next sound opens them again.
    bool resting = false;
    Uint32 lastQueued = 0;   // SDL ticks of the last sound queued
    SDL_AudioSpec format{};  // what the device was opened with
    static constexpr Uint32 restAfterMs = 3000;

    bool open();
    void queue(const Uint8* data, Uint32 bytes);
    void play();
    void playDraw();
    void toggle();
    void close();
    // Closes the device until the next sound (a no-op without one).
    void rest();
    // Milliseconds until the device may rest at `now`: 0 at once, -1 never
    // (no device open).
    int msToRest(Uint32 now) const;
    // Opens a resting device again; true when a device is open.
    bool wake();
    ~CardAudio();
};

extern CardAudio cardAudio;
