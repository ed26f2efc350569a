// The card sounds: one queued-audio playback device, the placing and the
// drawing sound, and the mute switch. Owns `cardAudio`. The main thread calls
// it; a thread of its own opens and closes the device, since opening may
// block for as long as the sound system likes (a sleeping headset, a stalled
// sound server, a file that nobody reads), and closing waits for the
// device's own thread.
#pragma once

#include <SDL.h>

#include <memory>

struct SoundThread;

struct CardAudio {
    // The open device as the main thread knows it: set once the sound thread
    // has opened it, 0 again as soon as the main thread asks for it to close.
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
    Uint32 lastQueued = 0;   // ticks of the last sound queued
    SDL_AudioSpec format{};  // what the device is opened with
    // The clock of the rest and of the sounds held while the device opens;
    // set before open().
    Uint32 (*ticks)() = SDL_GetTicks;
    static constexpr Uint32 restAfterMs = 3000;
    // A sound asked for while the device opens plays if it opens within this.
    static constexpr Uint32 holdMs = 250;
    // A device that takes longer to open is said to be unavailable, and
    // shut-down waits no longer for the sound thread.
    static constexpr Uint32 patienceMs = 5000;

    // Loads the sounds and has the device opened; true unless the sounds
    // cannot be had. Every failure, now or later, is said once on the log.
    bool open();
    void queue(const Uint8* data, Uint32 bytes);
    void play();
    void playDraw();
    void toggle();
    // Closes the device and releases the sounds. False when the sound
    // thread was stuck in the audio system and left behind: the audio system
    // must then not be shut down under it.
    bool close();
    // Has the device closed until the next sound (a no-op without one); an
    // open past its patience is said on the log instead. Never waits.
    void rest();
    // Milliseconds until rest() is due at `now`: 0 at once, -1 never (no
    // device open or opening).
    int msToRest(Uint32 now);
    // Waits at most timeoutMs until the sound thread has done what it was
    // asked (opened, failed to, or closed); true when it has. The game never
    // waits on it; tests do.
    bool settle(Uint32 timeoutMs);
    ~CardAudio();

private:
    std::shared_ptr<SoundThread> soundThread;
    Uint32 openAskedAt = 0;  // ticks when the open under way was asked for
    bool stallTold = false;  // the open under way has been said to be late
    bool told = false;       // the device has been said to be unavailable

    // Both sounds, and the device's format taken from them; false, with
    // SDL's error, when they cannot be had alike.
    bool loadSamples();
    // The sound thread, asked to open the device; false, with SDL's error,
    // when it cannot be started.
    bool startSoundThread();
    void takeNews(SoundThread& t);
    bool openOrAsk(SoundThread& t);
    void tell(const char* reason);
    void releaseSamples();
};

extern CardAudio cardAudio;
