// The card sounds: both WAVs loaded once from the program's own bytes, one
// playback device fed through SDL's audio queue, and the mute switch.
#include "sound/CardAudio.h"

#include "sound/CardSoundData.h"

#include <string>

CardAudio cardAudio;

namespace {

// The loader closes the stream itself (freesrc 1).
Uint8* loadWav(const unsigned char* bytes, unsigned int size, SDL_AudioSpec* spec, Uint32* length) {
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (!stream) return nullptr;
    Uint8* data = nullptr;
    if (!SDL_LoadWAV_RW(stream, 1, spec, &data, length)) return nullptr;
    return data;
}

// A failed open: everything released, and without a device nothing of the
// audio system is kept, not even its watch for devices plugged in, which
// would wake the game at rest. The reason stays readable for the caller.
bool giveUp(CardAudio& audio) {
    audio.close();
    const std::string reason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_SetError("%s", reason.c_str());
    return false;
}

}  // namespace

bool CardAudio::open() {
    close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;

    SDL_AudioSpec wanted, obtained;
    SDL_zero(wanted);
    SDL_zero(obtained);
    sample = loadWav(cardPlaceWav, cardPlaceWavSize, &wanted, &length);
    if (!sample) {
        length = 0;
        return giveUp(*this);
    }

    SDL_AudioSpec drawSpec;
    SDL_zero(drawSpec);
    drawSample = loadWav(cardDrawWav, cardDrawWavSize, &drawSpec, &drawLength);
    if (!drawSample || drawSpec.freq != wanted.freq || drawSpec.format != wanted.format ||
        drawSpec.channels != wanted.channels) {
        if (drawSample) SDL_SetError("Card sounds differ in format");
        return giveUp(*this);
    }

    // Queued audio: no callback, and the device takes the files' own format.
    wanted.samples = 512;
    wanted.callback = nullptr;
    wanted.userdata = nullptr;
    format = wanted;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) return giveUp(*this);
    SDL_PauseAudioDevice(device, 0);
    lastQueued = SDL_GetTicks();
    return true;
}

void CardAudio::rest() {
    if (device == 0) return;
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device = 0;
    resting = true;
}

int CardAudio::msToRest(Uint32 now) const {
    if (device == 0) return -1;
    // Still playing: look again when it may have ended.
    if (SDL_GetQueuedAudioSize(device) > 0) return 250;
    const Uint32 silent = now - lastQueued;
    return silent >= restAfterMs ? 0 : static_cast<int>(restAfterMs - silent);
}

bool CardAudio::wake() {
    if (!resting) return device != 0;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted = format, obtained;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        // The device went away; a later sound tries again.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    resting = false;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void CardAudio::queue(const Uint8* data, Uint32 bytes) {
    if (!enabled || !data || bytes == 0 || !wake()) return;
    lastQueued = SDL_GetTicks();
    // Sounds play in turn; a long backlog is dropped so a new one is not late.
    if (SDL_GetQueuedAudioSize(device) > static_cast<Uint32>(2u * bytes)) SDL_ClearQueuedAudio(device);
    SDL_QueueAudio(device, data, bytes);
}

void CardAudio::play() { queue(sample, length); }

void CardAudio::playDraw() { queue(drawSample, drawLength); }

void CardAudio::toggle() {
    enabled = !enabled;
    if (!enabled && device != 0) SDL_ClearQueuedAudio(device);
}

void CardAudio::close() {
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    device = 0;
    resting = false;
    if (sample) SDL_FreeWAV(sample);
    sample = nullptr;
    length = 0;
    if (drawSample) SDL_FreeWAV(drawSample);
    drawSample = nullptr;
    drawLength = 0;
}

CardAudio::~CardAudio() { close(); }
