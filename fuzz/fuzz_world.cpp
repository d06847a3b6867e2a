// The whole world: a fuzzed room 1 loaded as the game loads it, then a few hundred steps
// driven by fuzzed keys, with a frame drawn on a small headless device now and then.
//
// Input: byte 0 is the number n of key bytes that follow; then n key bytes; the rest is the
// room file. A key byte waits 4 * (byte >> 4) steps, then presses (bit 3 set) or releases
// the key its low three bits choose.
#include "FuzzScratch.h"

#include "app/GameSetup.h"
#include "app/KeyCommands.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "input/KeyCodes.h"

#include <cstdio>
#include <filesystem>

namespace {

constexpr int Keys[8] = {KeyCodeLeft,  KeyCodeRight, KeyCodeUp,    KeyCodeDown,
                         KeyCodeSpace, KeyCodeLeft,  KeyCodeRight, KeyCodeEscape};
constexpr int MaxSteps = 400;
constexpr int StepsPerFrame = 100;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A working directory of our own: the game's sets, images and sounds, and the rooms we write.
    const std::filesystem::path& dir = fuzzScratchDir();
    const std::filesystem::path source = MARROWGAST_SOURCE_DIR;
    std::filesystem::create_directories(dir / "res/rooms");
    std::filesystem::create_directory_symlink(source / "res/textures", dir / "res/textures");
    std::filesystem::create_directory_symlink(source / "res/sound", dir / "res/sound");
    // Kept for the whole process: every input loads its own world over it.
    static GameSetup game(dir, {.width = 160, .height = 120, .loadWorld = false});
    if (!game.ok()) {
        std::fprintf(stderr, "no headless game: %s\n", game.error().c_str());
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::size_t keyCount = data[0];
    if (keyCount > size - 1)
        keyCount = size - 1;
    const std::uint8_t* keys = data + 1;
    const std::uint8_t* room = keys + keyCount;
    const std::size_t roomSize = size - 1 - keyCount;
    // Room 2 is the same file, so walking out of room 1 reads a room again.
    writeScratchFile("res/rooms/room1.txt", room, roomSize);
    writeScratchFile("res/rooms/room2.txt", room, roomSize);

    std::string error;
    if (loadWorld(error)) {
        std::size_t next = 0;
        int wait = keyCount > 0 ? 4 * (keys[0] >> 4) : MaxSteps;
        for (int step = 1; step <= MaxSteps; ++step) {
            while (next < keyCount && wait == 0) {
                dispatchKey(Keys[keys[next] & 7], (keys[next] >> 3) & 1);
                ++next;
                wait = next < keyCount ? 4 * (keys[next] >> 4) : MaxSteps;
            }
            --wait;
            if (updateWorld() != 0)
                break;
            if (step % StepsPerFrame == 0) {
                beginFrame();
                renderWorld();
                endFrame();
            }
        }
    }
    shutdownWorld();
    return 0;
}
