// WAV loading through the sound layer's one loader, with SDL's dummy audio driver.
#include "platform/SdlMixer.h"

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
    MixChunkPtr chunk = loadWav(data, size);
    return 0;
}
