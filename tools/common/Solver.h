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
// The most memory one search holds, in MiB: the states, their table, the queue of states to
// look at and the snapshots it works on, counted from their sizes (never read from the
// system), so a search stops at the same state on every machine. A state of a bundled room
// is under 1 KiB, so the state bound comes first there; a room of thousands of robots holds
// tens or hundreds of KiB a state and meets this one.
inline constexpr std::size_t DefaultMemoryLimitMiB = 1024;
inline constexpr std::size_t MostMemoryLimitMiB = std::size_t{1} << 20;

// The tightest window, in steps, that a person can be asked to hit without many tries: the
// room check warns under it (tools/common/RoomCheck.h).
inline constexpr int FairWindowSteps = 9;
// How far an event is moved each way when its window is measured, and so the widest window.
inline constexpr int MostWindowShift = 60;
inline constexpr int MostWindowSteps = 2 * MostWindowShift + 1;

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

// Why a search stopped without an answer.
enum class SearchStop {
    None,
    // It held as many states as it may.
    States,
    // The next states would take it past its memory bound.
    Memory,
    // Not even the first state fits in the memory bound.
    FirstState,
    // A room file changed under it.
    RoomChanged,
    // The system refused memory below the bound.
    OutOfMemory,
};

// What one search may spend, and where it says how it goes.
struct SearchBounds {
    // The longest crossing looked for.
    int maxSteps = 3600;
    std::size_t stateLimit = DefaultStateLimit;
    // In bytes.
    std::size_t memoryLimit = DefaultMemoryLimitMiB << 20;
    // While the search runs, a line "LABEL: ..." on `progress` every `progressSeconds`.
    std::ostream* progress = nullptr;
    std::string progressLabel;
    double progressSeconds = 5.0;
};

struct ReachedCell {
    int x = 0;
    int y = 0;
    bool operator==(const ReachedCell&) const = default;
};

struct Crossing {
    bool found = false;
    // The search stopped at a bound before it found a crossing or ran out of states.
    SearchStop stop = SearchStop::None;
    bool stopped() const { return stop != SearchStop::None; }
    // The step in which the player leaves the room.
    int steps = 0;
    std::vector<KeyPress> presses;
    // The smallest window over the key events (each press and each release moved alone, the
    // rest of the script fixed), and that event: its step, its key's bit and whether it is the
    // release; 0 without presses.
    int tightestWindow = 0;
    int tightestAt = 0;
    std::uint32_t tightestKey = 0;
    bool tightestRelease = false;
    std::size_t states = 0;
    double seconds = 0.0;
    // Peak bytes the search held, as counted against its memory bound.
    std::size_t bytes = 0;
    // With SearchStop::FirstState: the bytes the search needs before its first state.
    std::size_t bytesToStart = 0;
    std::size_t memoryLimit = 0;
    std::size_t stateLimit = 0;
    // The places the player stood in the states the search met, in the room: the unit cells
    // holding its box's bottom-left corner, each named as room files name a position (its left
    // and bottom edges), west to east, then top to bottom; once each.
    std::vector<ReachedCell> reached;
};

class GameSetup;

// Ring room `room` (from 1), searched from the start the tools use (GameSetup::enterStartRoom)
// in a world loaded afresh by `game`. On a room that cannot be read (or held in memory),
// nothing found and `error` set.
Crossing solveRoom(GameSetup& game, int room, Way way, const SearchBounds& bounds, std::string& error);
// A room file that may be outside the ring (a path under the data directory), entered as the
// end of a room change enters a room.
Crossing solveRoomFile(GameSetup& game, const std::string& roomFile, Way way, const SearchBounds& bounds,
                       std::string& error);

// Where the hero stands (its box's left and bottom edges).
struct PathPoint {
    float x = 0.0f;
    float y = 0.0f;
};
// The crossing's script played again from the start `solveRoomFile` searched from: where the
// hero stands at step 0, every `every`-th step and the last. Empty when nothing was found or
// the room cannot be read (then `error` says why).
std::vector<PathPoint> crossingPath(GameSetup& game, const std::string& roomFile, Way way,
                                    const Crossing& crossing, int every, std::string& error);

// The script as the replay tool reads it (tools/common/KeyScript.h), with a comment heading.
std::string keyScriptText(const std::vector<KeyPress>& presses, const std::string& heading);

// The line the solver prints for a room and way: "room N east: crossed in ..." or the
// "no crossing within ..." / "search stopped after ...: REASON" lines.
std::string crossingLine(int room, Way way, const Crossing& crossing, int maxSteps);
// The same for a room named by `label` (a room file's name).
std::string crossingLine(const std::string& label, Way way, const Crossing& crossing, int maxSteps);
// The answer as a program reads it (the room editor): "answer WAY crossed STEPS WINDOW KEY
// down|up STEP" (KEY "none" when no key is pressed), "answer WAY not-crossed MAXSTEPS STATES" or
// "answer WAY stopped REASON".
std::string answerLine(Way way, const Crossing& crossing, int maxSteps);
// "reached WAY X Y" lines, one for each cell of `crossing.reached`.
std::string reachedLines(Way way, const Crossing& crossing);
// "W steps (KEY down|up at step T)": the crossing's tightest window and its event, KEY named as
// in key scripts.
std::string tightestText(const Crossing& crossing);
// The line for a room crossed both ways: "room N: tightest window W steps (WAY, KEY down|up at
// step T)", the tighter way's (east of two equal), or "room N: no key pressed either way".
std::string roomLine(int room, const Crossing& east, const Crossing& west);
// "search stopped after K states: REASON" (or "before the first state"), for a stopped search.
std::string stoppedText(const Crossing& crossing);

// The player's reach, measured in the real simulation in small rooms made for it in a scratch
// directory; one line each.
// False, with `error` saying why, when the rooms cannot be written or read.
bool measureReach(GameSetup& game, std::ostream& out, std::string& error);

// The whole tool: `marrowgast-solve [--root DIR] [--room N]... [--way east|west]...
// [--max-steps M] [--max-memory MiB] [--keys-out DIR] [--reach]`. 0 when every crossing asked
// was found, 1 when one was not (or a search stopped), 2 for a usage error or a room that
// cannot be read.
int solveMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const DataLookup* lookup = nullptr);
