#pragma once
#include "app/DataLookup.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// The room solver: a search of the real simulation (world snapshots and stepWorld) for a key
// script that carries the player across one room, entry point to far edge, alive.
//
// The input model: the held keys may change only at steps 1, 1 + BlockSteps, 1 + 2 ×
// BlockSteps, ...; each block holds one of {nothing, Left, Right} × {no Space, Space}, and,
// while the player touches a lift, Up or Down alone. World states are told apart by every
// number of the snapshot and the held keys; states met before are not searched again.
inline constexpr int BlockSteps = 4;
// The most states one search keeps; past it the search stops without an answer.
inline constexpr std::size_t DefaultStateLimit = 1500000;

// The way across: east enters at the left entry point and leaves at the right edge.
enum class Way { East = 0, West = 1 };

// One press of a key of the player: held from step `down` (from 1) until step `up`, where it
// is let go; NeverReleased holds it to the end. Presses of one key never touch.
struct KeyPress {
    std::uint32_t key = 0;
    int down = 1;
    int up = 0;
};
inline constexpr int NeverReleased = 1 << 30;

struct Crossing {
    bool found = false;
    // The search hit its state limit before it found a crossing or ran out of states.
    bool stopped = false;
    // The step in which the player leaves the room.
    int steps = 0;
    std::vector<KeyPress> presses;
    // The smallest window over the presses, and the press's step; 0 without presses.
    int tightestWindow = 0;
    int tightestAt = 0;
    std::size_t states = 0;
    double seconds = 0.0;
    // Peak bytes the search held for its states.
    std::size_t bytes = 0;
};

class GameSetup;

// Ring room `room` (from 1), searched from the start the tools use (GameSetup::enterStartRoom)
// in a world loaded afresh by `game`. On a room that cannot be read, nothing found and
// `error` set.
Crossing solveRoom(GameSetup& game, int room, Way way, int maxSteps, std::size_t stateLimit,
                   std::string& error);
// A room file that may be outside the ring (a path under the data directory), entered as the
// end of a room change enters a room.
Crossing solveRoomFile(GameSetup& game, const std::string& roomFile, Way way, int maxSteps,
                       std::size_t stateLimit, std::string& error);

// The script as the replay tool reads it (tools/common/KeyScript.h), with a comment heading.
std::string keyScriptText(const std::vector<KeyPress>& presses, const std::string& heading);

// The line the solver prints for a room and way: "room N east: crossed in ..." or the
// "no crossing within ..." / "search stopped after ..." lines.
std::string crossingLine(int room, Way way, const Crossing& crossing, int maxSteps);

// The player's reach, measured in the real simulation in small rooms made for it in a scratch
// directory; one line each.
// False when the rooms cannot be written or read.
bool measureReach(GameSetup& game, std::ostream& out);

// The whole tool: `marrowgast-solve [--root DIR] [--room N]... [--way east|west]...
// [--max-steps M] [--keys-out DIR] [--reach]`. 0 when every crossing asked was found, 1 when
// one was not, 2 for a usage error or a room that cannot be read.
int solveMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const DataLookup* lookup = nullptr);
