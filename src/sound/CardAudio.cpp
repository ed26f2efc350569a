// PLACEHOLDER until the card sounds land.
#include "sound/CardAudio.h"

CardAudio cardAudio;

bool CardAudio::open() { return false; }
void CardAudio::queue(const Uint8*, Uint32) {}
void CardAudio::play() {}
void CardAudio::playDraw() {}
void CardAudio::toggle() { enabled = !enabled; }
void CardAudio::close() {}
CardAudio::~CardAudio() { close(); }
