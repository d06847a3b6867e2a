#include "sound/Sound.h"

SoundGlobals soundGlobals;

void playSound(const char* fileName) {
    if (soundGlobals.soundPerformance == nullptr || fileName == nullptr)
        return;
    soundGlobals.soundPerformance->playSound(fileName);
}

void stopAllSounds() {
    if (soundGlobals.soundPerformance == nullptr)
        return;
    soundGlobals.soundPerformance->stopAllSounds();
}

ScopedSoundSink::ScopedSoundSink(SoundSink& sink) : previous(soundGlobals.soundPerformance) {
    soundGlobals.soundPerformance = &sink;
}

ScopedSoundSink::~ScopedSoundSink() {
    soundGlobals.soundPerformance = previous;
}
