#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/GameSetup.h"
#include "app/KeyScript.h"
#include "input/Keyboard.h"
#include "sound/Sound.h"

// The directory holding the res/ the benchmarks play: the source tree's, or
// MARROWGAST_BENCH_ROOT when set.
std::filesystem::path benchRoot();

// A bundled room by its place in the ring (from 0) and what makes it busy.
struct RoomCensus {
    std::size_t index = 0;
    int objects = 0;
    int robots = 0;
    int lifts = 0;
};
// Every room of the ring under the root, read the way the game reads it.
std::vector<RoomCensus> censusOfRooms(const std::filesystem::path& root);
// The room with the most robots and lifts; the earlier room wins a tie.
RoomCensus busiestRoom(const std::filesystem::path& root);

// The player's walk: right for two seconds with two jumps, then left the same way, over and
// over, so the player stays about where it started. As key-script text for `steps` steps.
std::string walkScriptText(std::int64_t steps);
KeyScript walkScript(std::int64_t steps);

// The game headless under `root`, in ring room `roomIndex` at its left entry point, driven
// as the game drives it (input poll, key commands, updateWorld). With width 0 there is no
// drawing device. Its set-up puts everything back when it goes.
class HeadlessGame {
  public:
    HeadlessGame(const std::filesystem::path& root, std::size_t roomIndex, int width = 0, int height = 0);
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    bool ok() const { return loaded; }
    const std::string& error() const { return problem; }
    // One fixed step with the script's events for `step` (from 1) queued before the poll.
    void step(const KeyScript& script, std::int64_t step);
    // Rewinds the key script (after the world was put back into its room).
    void rewind() { nextKey = 0; }
    // Cold again, just before loadWorld: nothing loaded, no image cached.
    void restart() { setup.restart(); }
    // Room files read since the game was made (loadWorld's and enterRingRoom's excluded).
    int roomLoads = 0;
    InputState input;

  private:
    SilentSoundSink silence;
    GameSetup setup;
    std::size_t nextKey = 0;
    bool loaded = false;
    std::string problem;
};

// A synthetic ring of four equal rooms with `objects` objects each under a new directory
// that borrows the bundled textures; the player walks on the floor, robots patrol above it.
std::filesystem::path writeSyntheticRoot(const std::filesystem::path& bundledRoot, int objects);

// The same ring with rooms of `robots` robots on one floor and nothing else, as the
// dearest room to enter: every robot names the same two set files.
std::filesystem::path writeRobotRoot(const std::filesystem::path& bundledRoot, int robots);
