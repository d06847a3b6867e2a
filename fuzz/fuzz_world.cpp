// The whole game headless: a copy of the bundled data with one file replaced by fuzzed bytes
// (a room, an animation set, an image or a sound), played for a few hundred steps in any of
// the four rooms with fuzzed keys (the display-size keys, full screen and Print Screen too),
// through the real sound mixer and sprite renderer, a frame drawn every few steps.
//
// Input: byte 0 chooses the room (bits 0-1), the side entered by (bit 2), the role the payload
// takes (bits 3-5: room, set, image, sound, room, ...) and which file of that role (bits 6-7).
// Byte 1 is the number n of key bytes that follow; then n key bytes; the rest is the payload.
// A key byte waits 4 * (byte >> 5) steps, then presses (bit 4 set) or releases the key its
// low four bits choose.
#include "FuzzScratch.h"

#include "actors/Player.h"
#include "actors/Robot.h"
#include "app/GameSetup.h"
#include "app/KeyCommands.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "input/KeyCodes.h"
#include "platform/SdlMixer.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

constexpr int Keys[16] = {KeyCodeLeft,  KeyCodeRight,       KeyCodeUp,     KeyCodeDown,
                          KeyCodeSpace, KeyCodeLeft,        KeyCodeRight,  KeyCodeSpace,
                          KeyCodeUp,    KeyCodeF9,          KeyCodeF10,    KeyCodeF11,
                          KeyCodeF12,   KeyCodePrintScreen, KeyCodeEscape, KeyCodeDown};
constexpr int MaxSteps = 400;
constexpr int StepsPerFrame = 25;

// Byte 0 picks the room by two bits.
static_assert(RingSize == 4);

// The file each role and choice replaces, relative to the data directory.
constexpr const char* Sets[4] = {PlayerSetFile, "res/textures/robot_a.set", "res/textures/robot_b.set",
                                 "res/textures/laser.set"};
constexpr const char* Images[4] = {"res/textures/stone.png", "res/textures/wood.jpg",
                                   "res/textures/crate.png", "res/textures/metal.png"};
constexpr const char* Sounds[4] = {LaserSound, DeathSounds[0], DeathSounds[1], DeathSounds[2]};

const char* replacedFile(std::uint8_t chooser) {
    const int which = chooser >> 6;
    switch ((chooser >> 3) & 7) {
    case 1:
        return Sets[which];
    case 2:
        return Images[which];
    case 3:
        return Sounds[which];
    default:
        return RingRoomFiles[chooser & 3];
    }
}

// Puts the bundled file back in place of whatever the last input wrote there.
void restore(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::filesystem::copy_file(std::filesystem::path(MARROWGAST_SOURCE_DIR) /
                                   path.lexically_relative(fuzzScratchDir()),
                               path, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // A data directory of our own holding a copy of the game's data, so that any one file
    // can be replaced and put back.
    std::filesystem::copy(std::filesystem::path(MARROWGAST_SOURCE_DIR) / "res", fuzzScratchDir() / "res",
                          std::filesystem::copy_options::recursive);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // One mixer for the process (closing SDL's audio takes a tenth of a second), emptied of
    // the sounds the last input decoded.
    static std::unique_ptr<SdlMixer> mixer = [] {
        std::string why;
        std::unique_ptr<SdlMixer> made = createSdlMixer(why);
        if (!made) {
            std::fprintf(stderr, "cannot open the mixer: %s\n", why.c_str());
            std::abort();
        }
        return made;
    }();
    mixer->forgetSounds();

    const std::uint8_t chooser = data[0];
    std::size_t keyCount = data[1];
    if (keyCount > size - 2)
        keyCount = size - 2;
    const std::uint8_t* keys = data + 2;
    const std::uint8_t* payload = keys + keyCount;
    const std::filesystem::path replaced = fuzzScratchDir() / replacedFile(chooser);
    writeScratchFile(replaced, payload, size - 2 - keyCount);

    {
        // Everything the game keeps for the run starts new with each input: the texture cache,
        // the display mode, the world.
        GameSetup game(fuzzScratchDir(), {.width = 160, .height = 120, .sound = mixer.get()});
        if (game.ok() && enterRingRoom(chooser & 3, (chooser >> 2) & 1)) {
            std::size_t next = 0;
            int wait = keyCount > 0 ? 4 * (keys[0] >> 5) : MaxSteps;
            for (int step = 1; step <= MaxSteps; ++step) {
                while (next < keyCount && wait == 0) {
                    dispatchKey(Keys[keys[next] & 15], (keys[next] >> 4) & 1);
                    ++next;
                    wait = next < keyCount ? 4 * (keys[next] >> 5) : MaxSteps;
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
    }
    restore(replaced);
    return 0;
}
