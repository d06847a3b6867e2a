// A room file through the definition reader, the room-line handler and every object type's
// load (robots read their set files and images from the working directory's res/).
#include "FuzzScratch.h"

#include "app/GameSetup.h"

#include "game/WorldOperations.h"
#include "world/ObjectRegistry.h"
#include "world/Room.h"

#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Set and image paths in seed rooms name the game's own files.
    static GameSetup game(MARROWGAST_SOURCE_DIR);
    if (!game.usable())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ObjectRegistry registry = [] {
        ObjectRegistry r;
        registerObjectTypes(r);
        return r;
    }();
    const std::string path = writeScratchFile(fuzzScratchDir() / "room.txt", data, size);
    Room room(registry);
    room.loadFile(path);
    // One step and a reset of what was read, as the game does right after loading.
    room.updateAll();
    room.resetAll();
    return 0;
}
