// An animation-set file through AnimationSet::load, then playback of what it defined.
#include "FuzzScratch.h"

#include "app/GameSetup.h"

#include "definitions/AnimationSet.h"

#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Image paths in the seed sets name the game's own files.
    static GameSetup game(MARROWGAST_SOURCE_DIR);
    if (!game.usable())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = writeScratchFile(fuzzScratchDir() / "anim.set", data, size);
    AnimationSet set;
    set.load(path);
    // Play each of the player's animations for a while: frame counts and tick numbers come
    // from the file.
    for (const char* name : {"FaceLeft", "RunRight", "JumpLeft", "Search", "Walk", "Laser"}) {
        set.play(name);
        (void)set.length(name);
        for (int step = 0; step < 40; ++step)
            set.advance();
        set.draw(1.0f, 2.0f, 3.0f, 4.0f, 0);
    }
    return 0;
}
