// WAV loading through the sound layer's one loader, with SDL's dummy audio driver, and the room
// check's judgement of the same bytes.
#include "platform/SdlMixer.h"
#include "platform/SoundFile.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // loadWav converts to the open mixer's format, so one mixer stays open for the whole run.
    static std::unique_ptr<SdlMixer> mixer = [] {
        std::string error;
        std::unique_ptr<SdlMixer> made = createSdlMixer(error);
        if (!made) {
            std::fprintf(stderr, "cannot open the mixer: %s\n", error.c_str());
            std::abort();
        }
        return made;
    }();
    const bool loaded = loadWav(data, size) != nullptr;
    // The room check judges sounds without SDL: it must take exactly what the loader takes.
    MemorySoundBytes bytes(data, size);
    if (isPlayableWav(bytes) != loaded) {
        std::fprintf(stderr, "the room check %s a sound the game %s\n", loaded ? "refuses" : "takes",
                     loaded ? "plays" : "refuses");
        std::abort();
    }
    return 0;
}
