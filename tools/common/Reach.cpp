// The player's reach, measured by playing small rooms made for it: what docs/ROOMS.md quotes.
#include "tools/common/Solver.h"

#include "actors/Player.h"
#include "app/GameSetup.h"
#include "definitions/Quoted.h"
#include "game/WorldOperations.h"
#include "game/WorldSnapshot.h"
#include "platform/system/TemporaryFolder.h"
#include "world/Room.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace {

// A scratch directory of room files, removed when it goes.
class ScratchRooms {
  public:
    // Without a usable temporary directory (TMPDIR naming none, or a relative one under a
    // deleted working directory) there is none, and every room fails to enter.
    explicit ScratchRooms(std::string& error) : error(error) {
        std::error_code failed;
        const std::filesystem::path temporary = std::filesystem::temp_directory_path(failed);
        if (failed) {
            error = "no temporary directory: " + failed.message();
            return;
        }
        std::string pattern = (temporary / "marrowgast-reach-XXXXXX").string();
        int why = 0;
        if (makeUniqueFolder(pattern, why))
            directory = pattern;
        else
            error = quotedText(pattern) + ": cannot make the scratch directory: " + std::strerror(why);
    }
    ~ScratchRooms() {
        std::error_code ignored;
        if (!directory.empty())
            std::filesystem::remove_all(directory, ignored);
    }
    ScratchRooms(const ScratchRooms&) = delete;
    ScratchRooms& operator=(const ScratchRooms&) = delete;

    // Writes the room and enters it from the left in a world loaded afresh.
    bool enter(GameSetup& game, const std::string& name, const std::string& text) {
        if (directory.empty())
            return false;
        const std::string file = (std::filesystem::path(directory) / name).string();
        std::ofstream out(file);
        out << text;
        out.close();
        if (!out) {
            error = quotedText(file) + ": cannot write the measuring room";
            return false;
        }
        game.restart();
        if (!game.loadWorld()) {
            error = game.error();
            return false;
        }
        world.roomFiles[0] = file;
        if (enterRingRoom(0, 0))
            return true;
        error = quotedText(file) + ": cannot read the measuring room";
        return false;
    }

  private:
    std::string& error;
    std::string directory;
};

const std::string Floor = "platform start 0 30 end 39 30\n";

std::string entryAt(float x, float y) {
    std::ostringstream line;
    line << "entrypoint position " << x << " " << y << " side left\n";
    return line.str();
}

// The steps of a run: from step 1, the keys `keysAt(step)` held.
template <class Keys, class Watch> void play(int steps, Keys keysAt, Watch watch) {
    std::uint32_t held = 0;
    for (int s = 1; s <= steps; ++s) {
        stepWorld(held, keysAt(s));
        if (!watch(s, *world.player))
            return;
    }
}

std::string number(float value) {
    std::ostringstream text;
    text << std::setprecision(4) << value;
    return text.str();
}

struct JumpReach {
    float height = 0.0f;
    float length = 0.0f;
    int steps = 0;
};

// Jumps once at step `at` with `run` held from step 1 (0 for a standing jump): how high the
// feet rise, how far it goes and how long until the player stands again.
JumpReach jumpOnce(std::uint32_t run, int at) {
    JumpReach jump;
    const float ground = world.player->y;
    float takeOff = 0.0f;
    play(
        at + 400, [&](int s) { return run | (s == at ? KeyJump : 0u); },
        [&](int s, const Player& p) {
            if (s == at)
                takeOff = p.prevX;
            if (s >= at) {
                jump.height = std::max(jump.height, ground - p.y);
                if (p.state == Ground && s > at) {
                    jump.length = std::abs(p.x - takeOff);
                    jump.steps = s - at;
                    return false;
                }
            }
            return true;
        });
    return jump;
}

} // namespace

bool measureReach(GameSetup& game, std::ostream& out, std::string& error) {
    ScratchRooms rooms(error);

    // Running on flat ground for one second (60 steps).
    if (!rooms.enter(game, "flat.txt", Floor + entryAt(2, 29)))
        return false;
    const float runFrom = world.player->x;
    play(
        60, [](int) { return KeyRight; }, [](int, const Player&) { return true; });
    const float runSpeed = world.player->x - runFrom;

    if (!rooms.enter(game, "flat.txt", Floor + entryAt(2, 29)))
        return false;
    const JumpReach running = jumpOnce(KeyRight, 20);

    // Pressed against a wall that reaches the ceiling.
    const std::string wall = Floor + "platform start 10 29 end 11 1\n";
    if (!rooms.enter(game, "wall.txt", wall + entryAt(7.5f, 29)))
        return false;
    const JumpReach atWall = jumpOnce(KeyRight, 20);

    // Walking off a ledge 20 units above the floor: sideways drift per unit dropped.
    if (!rooms.enter(game, "ledge.txt", Floor + "platform start 0 10 end 9 10\n" + entryAt(5, 9)))
        return false;
    float edgeX = 0.0f;
    float landX = 0.0f;
    play(
        600, [](int) { return KeyRight; },
        [&](int, const Player& p) {
            if (edgeX == 0.0f && p.state == Fall)
                edgeX = p.x;
            if (edgeX != 0.0f && p.state == Ground) {
                landX = p.x;
                return false;
            }
            return true;
        });
    const float drift = (landX - edgeX) / 20.0f;

    // The highest step climbed by a running jump, the take-off tried at every step.
    int highest = 0;
    for (int rise = 1; rise <= 20; ++rise) {
        const std::string step = Floor + "platform start 20 29 end 27 " + std::to_string(30 - rise) + "\n";
        bool climbed = false;
        for (int at = 1; at <= 120 && !climbed; ++at) {
            if (!rooms.enter(game, "step.txt", step + entryAt(2, 29)))
                return false;
            const float top = static_cast<float>(29 - rise);
            play(
                at + 300, [at](int s) { return KeyRight | (s == at ? KeyJump : 0u); },
                [&](int s, const Player& p) {
                    if (s > at && p.state == Ground) {
                        climbed = p.y == top;
                        return false;
                    }
                    return p.x < 26.0f;
                });
        }
        if (!climbed)
            break;
        highest = rise;
    }

    out << "run speed: " << number(runSpeed) << " units a second (" << number(runSpeed / 60.0f)
        << " a step)\n";
    out << "jump on flat ground: feet rise " << number(running.height) << " units, " << number(running.length)
        << " units from take-off to landing, " << running.steps << " steps\n";
    out << "jump pressed against a wall: feet rise " << number(atWall.height) << " units, "
        << number(atWall.length) << " units along, " << atWall.steps << " steps\n";
    out << "fall: " << number(drift)
        << " units sideways per unit dropped (walking off a ledge 20 units high)\n";
    out << "highest step climbed: " << highest << " units (a running jump onto a ledge " << highest
        << " units above the floor)\n";
    return true;
}
