// The card sounds: both WAVs loaded once from the program's own bytes, one
// playback device fed through SDL's audio queue, the mute switch, and the
// sound thread that opens and closes the device.
#include "sound/CardAudio.h"

#include "sound/CardSoundData.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

CardAudio cardAudio;

// What the main thread asks of the sound thread and what that reports back,
// all under `lock`. Only the sound thread starts and stops the audio system
// and opens and closes the device; the main thread only queues on a device
// the sound thread has opened and it has not yet asked to be closed.
struct SoundThread {
    std::mutex lock;
    std::condition_variable changed;  // news for either side
    std::thread thread;

    // Asked by the main thread.
    bool wantOpen = false;
    bool tried = false;  // an open has been tried
    bool quit = false;
    bool abandoned = false;  // shut-down went on without it: no more SDL calls
    SDL_AudioSpec format{};
    Uint32 (*ticks)() = SDL_GetTicks;
    Uint32 newsEvent = 0;  // pushed when an open ends, so that an idle loop takes the news
    struct Held {
        const Uint8* data;
        Uint32 bytes;
        Uint32 at;
    };
    std::vector<Held> held;  // asked for while the device opens

    // Reported by the sound thread.
    SDL_AudioDeviceID open = 0;
    bool busy = false;  // in the audio system since busySince
    std::chrono::steady_clock::time_point busySince;
    bool failed = false;  // the last open failed; the main thread has not said so yet
    std::string reason;
    bool finished = false;
};

namespace {

const size_t mostHeld = 8;

// The loader closes the stream itself (freesrc 1).
Uint8* loadWav(const unsigned char* bytes, unsigned int size, SDL_AudioSpec* spec, Uint32* length) {
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (!stream) return nullptr;
    Uint8* data = nullptr;
    if (!SDL_LoadWAV_RW(stream, 1, spec, &data, length)) return nullptr;
    return data;
}

// Sounds play in turn; a long backlog is dropped so a new one is not late.
void queueOn(SDL_AudioDeviceID device, const Uint8* data, Uint32 bytes) {
    if (SDL_GetQueuedAudioSize(device) > static_cast<Uint32>(2u * bytes)) SDL_ClearQueuedAudio(device);
    SDL_QueueAudio(device, data, bytes);
}

// The sound thread's calls into the audio system. A failed open keeps
// nothing of it, not even its watch for devices plugged in, which would
// wake the game at rest.
SDL_AudioDeviceID openDevice(SDL_AudioSpec wanted, std::string& reason) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reason = SDL_GetError();
        return 0;
    }
    SDL_AudioSpec obtained;
    SDL_zero(obtained);
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        reason = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    SDL_PauseAudioDevice(device, 0);
    return device;
}

void closeDevice(SDL_AudioDeviceID device) {
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// With the lock held: the sounds still fresh enough to go with what was done.
void playHeld(SoundThread& t) {
    const Uint32 now = t.ticks();
    for (const SoundThread::Held& h : t.held)
        if (now - h.at <= CardAudio::holdMs) queueOn(t.open, h.data, h.bytes);
    t.held.clear();
}

// Waits for the main thread's wishes and carries them out, the lock released
// while in the audio system.
void run(SoundThread& t) {
    std::unique_lock<std::mutex> hold(t.lock);
    for (;;) {
        t.changed.wait(hold, [&t] { return t.quit || t.wantOpen != (t.open != 0); });
        // The first open is tried even when shut-down comes first, so that a
        // device that cannot open is said however short the run.
        const bool opening = t.wantOpen && t.open == 0 && (!t.quit || !t.tried);
        if (opening) t.tried = true;
        if (!opening && t.open == 0) break;
        const SDL_AudioSpec format = t.format;
        const SDL_AudioDeviceID device = t.open;
        t.busy = true;
        t.busySince = std::chrono::steady_clock::now();
        hold.unlock();
        std::string reason;
        SDL_AudioDeviceID opened = 0;
        if (opening)
            opened = openDevice(format, reason);
        else
            closeDevice(device);
        hold.lock();
        t.busy = false;
        if (t.abandoned) return;
        if (!opening) {
            t.open = 0;
        } else if (opened != 0) {
            t.open = opened;
            playHeld(t);
        } else {
            t.wantOpen = false;
            t.failed = true;
            t.reason = reason;
            t.held.clear();
        }
        if (opening && !t.quit && t.newsEvent != 0) {
            SDL_Event news;
            SDL_zero(news);
            news.type = t.newsEvent;
            SDL_PushEvent(&news);
        }
        t.changed.notify_all();
    }
    t.finished = true;
    t.changed.notify_all();
}

std::string lateOpen() {
    return "the sound device did not open within " + std::to_string(CardAudio::patienceMs / 1000) + " s";
}

Uint32 newsEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type == static_cast<Uint32>(-1) ? 0 : type;
}

}  // namespace

void CardAudio::tell(const char* reason) {
    if (told) return;
    told = true;
    SDL_Log("Audio unavailable: %s", reason);
}

void CardAudio::releaseSamples() {
    if (sample) SDL_FreeWAV(sample);
    sample = nullptr;
    length = 0;
    if (drawSample) SDL_FreeWAV(drawSample);
    drawSample = nullptr;
    drawLength = 0;
}

bool CardAudio::loadSamples() {
    SDL_AudioSpec placeSpec;
    SDL_zero(placeSpec);
    sample = loadWav(cardPlaceWav, cardPlaceWavSize, &placeSpec, &length);
    SDL_AudioSpec drawSpec;
    SDL_zero(drawSpec);
    if (sample) drawSample = loadWav(cardDrawWav, cardDrawWavSize, &drawSpec, &drawLength);
    if (drawSample && (drawSpec.freq != placeSpec.freq || drawSpec.format != placeSpec.format ||
                       drawSpec.channels != placeSpec.channels)) {
        SDL_FreeWAV(drawSample);
        drawSample = nullptr;
        SDL_SetError("Card sounds differ in format");
    }
    if (!drawSample) {
        releaseSamples();
        return false;
    }
    // Queued audio: no callback, and the device takes the files' own format.
    format = placeSpec;
    format.samples = 512;
    format.callback = nullptr;
    format.userdata = nullptr;
    return true;
}

bool CardAudio::startSoundThread() {
    auto t = std::make_shared<SoundThread>();
    t->format = format;
    t->ticks = ticks;
    t->newsEvent = newsEventType();
    t->wantOpen = true;
    try {
        t->thread = std::thread([t] {
            run(*t);
            // SDL keeps its error text per thread; one SDL did not start
            // gives it back itself.
            SDL_TLSCleanup();
        });
    } catch (const std::system_error& e) {
        SDL_SetError("%s", e.what());
        return false;
    }
    soundThread = t;
    return true;
}

bool CardAudio::open() {
    close();
    told = false;
    if (!loadSamples()) {
        tell(SDL_GetError());
        return false;
    }
    if (!startSoundThread()) {
        releaseSamples();
        tell(SDL_GetError());
        return false;
    }
    resting = false;
    openAskedAt = lastQueued = ticks();
    stallTold = false;
    return true;
}

// With the lock held: a device the sound thread opened is taken into use, a
// failed open is said.
void CardAudio::takeNews(SoundThread& t) {
    if (t.failed) {
        t.failed = false;
        tell(t.reason.c_str());
        // Without a device from the start the game stays silent; a device
        // that fails to wake is tried again by the next sound.
        if (!resting) releaseSamples();
    }
    if (device == 0 && t.wantOpen && t.open != 0) {
        device = t.open;
        resting = false;
        lastQueued = ticks();
    }
}

// With the lock held: true with a device open; else a resting one is asked
// for again.
bool CardAudio::openOrAsk(SoundThread& t) {
    takeNews(t);
    if (device != 0) return true;
    if (resting && !t.wantOpen) {
        t.wantOpen = true;
        openAskedAt = ticks();
        stallTold = false;
        t.changed.notify_all();
    }
    return false;
}

void CardAudio::rest() {
    if (!soundThread) return;
    SoundThread& t = *soundThread;
    std::lock_guard<std::mutex> hold(t.lock);
    const SDL_AudioDeviceID known = device;
    takeNews(t);
    if (device != 0 && known != 0) {
        // The sound thread closes it; a sound meanwhile opens it again.
        device = 0;
        resting = true;
        t.wantOpen = false;
        t.changed.notify_all();
    } else if (device == 0 && t.wantOpen && !stallTold && ticks() - openAskedAt >= patienceMs) {
        stallTold = true;
        t.held.clear();
        tell(lateOpen().c_str());
    }
}

int CardAudio::msToRest(Uint32 now) {
    if (!soundThread) return -1;
    {
        SoundThread& t = *soundThread;
        std::lock_guard<std::mutex> hold(t.lock);
        takeNews(t);
        if (device == 0) {
            if (!t.wantOpen || stallTold) return -1;
            const Uint32 waited = now - openAskedAt;
            return waited >= patienceMs ? 0 : static_cast<int>(patienceMs - waited);
        }
    }
    // Still playing: look again when it may have ended.
    if (SDL_GetQueuedAudioSize(device) > 0) return 250;
    const Uint32 silent = now - lastQueued;
    return silent >= restAfterMs ? 0 : static_cast<int>(restAfterMs - silent);
}

void CardAudio::queue(const Uint8* data, Uint32 bytes) {
    if (!enabled || !data || bytes == 0 || !soundThread) return;
    {
        SoundThread& t = *soundThread;
        std::lock_guard<std::mutex> hold(t.lock);
        if (!openOrAsk(t)) {
            if (!t.wantOpen) return;
            if (t.held.size() >= mostHeld) t.held.erase(t.held.begin());
            t.held.push_back({data, bytes, ticks()});
            return;
        }
    }
    lastQueued = ticks();
    queueOn(device, data, bytes);
}

void CardAudio::play() { queue(sample, length); }

void CardAudio::playDraw() { queue(drawSample, drawLength); }

void CardAudio::toggle() {
    enabled = !enabled;
    if (enabled) return;
    if (soundThread) {
        std::lock_guard<std::mutex> hold(soundThread->lock);
        takeNews(*soundThread);
        soundThread->held.clear();
    }
    if (device != 0) SDL_ClearQueuedAudio(device);
}

bool CardAudio::settle(Uint32 timeoutMs) {
    if (!soundThread) return true;
    SoundThread& t = *soundThread;
    std::unique_lock<std::mutex> hold(t.lock);
    const bool done = t.changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                                         [&t] { return !t.busy && t.wantOpen == (t.open != 0); });
    takeNews(t);
    return done;
}

bool CardAudio::close() {
    bool clean = true;
    if (soundThread) {
        SoundThread& t = *soundThread;
        std::unique_lock<std::mutex> hold(t.lock);
        takeNews(t);
        t.quit = true;
        t.held.clear();
        t.changed.notify_all();
        // Closing takes the sound thread a moment. One that has been in one
        // call of the audio system past its patience (an open that never
        // returns) is left to the end of the process: it cannot be joined.
        const auto asked = std::chrono::steady_clock::now();
        auto giveUpAt = [&t, asked] { return (t.busy ? t.busySince : asked) + std::chrono::milliseconds(patienceMs); };
        while (!t.finished && std::chrono::steady_clock::now() < giveUpAt()) t.changed.wait_until(hold, giveUpAt());
        if (t.finished) {
            takeNews(t);
            hold.unlock();
            t.thread.join();
        } else {
            t.abandoned = true;
            if (t.wantOpen && device == 0 && !stallTold) tell(lateOpen().c_str());
            hold.unlock();
            t.thread.detach();
            clean = false;
        }
        soundThread.reset();
    }
    device = 0;
    resting = false;
    releaseSamples();
    return clean;
}

CardAudio::~CardAudio() { close(); }
