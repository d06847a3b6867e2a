#pragma once
#include "platform/system/ChildProcess.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// What the solver says of one way across the edited room.
struct WayAnswer {
    enum class State { Idle, Searching, Crossed, NotCrossed, Stopped, Failed };
    State state = State::Idle;
    // Crossed: in how many steps, the tightest single-event window and its event ("left down at
    // step 2"; empty when no key is pressed).
    int steps = 0;
    int window = 0;
    std::string event;
    // Not crossed: the longest crossing looked for. Stopped or failed: why.
    int maxSteps = 0;
    std::string reason;
    // Crossed: where the hero stands every few steps (its box's left and bottom edges).
    std::vector<std::pair<float, float>> path;
    // Not crossed (or stopped): the places the player reached, each the unit cell of its box's
    // bottom-left corner, named as room files name a position (its left and bottom edges).
    std::vector<std::pair<int, int>> reached;
};

// The solver run on the room as it stands after every change, never in the editor's own
// process: each way is a child process of `marrowgast-solve` on a copy of the room in a folder
// of the editor's own. A newer room ends the searches of the older one, so there are never
// more than two children, and none outlives this object.
class SolverWatch {
  public:
    // `solver` is the program, `dataFolder` the folder whose res/ the room's sets and images
    // come from, `scratch` a folder for the room's copy and the crossings' key scripts.
    SolverWatch(std::string solver, std::string dataFolder, std::string scratch);

    // Ends what runs and searches `roomText` both ways. False, with the reason, when the copy
    // cannot be written or the solver cannot start; the answers then say so too.
    bool search(std::string_view roomText, std::string& why);
    // Reads what the searches wrote, never waiting; true when an answer changed.
    bool poll();
    // Way 0 is east (left entry point to the right edge), 1 west.
    const WayAnswer& answer(int way) const { return runs[static_cast<std::size_t>(way)].answer; }
    // The answer as the editor's status line says it: "east: crossed in 270 steps, tightest
    // window 15 steps (left down at step 2)", "west: not crossed within 3600 steps"...
    std::string answerText(int way) const;
    // The key script of the way's crossing, for replaying it; written when it was found.
    std::string keysFile(int way) const;
    // How many searches still run.
    int searching();
    // The scratch folder the room's copy and the key scripts are written to.
    const std::string& folder() const { return scratch; }

  private:
    struct Run {
        ChildProcess child;
        std::string pending;
        WayAnswer answer;
    };
    bool readLines(Run& run, int way);
    // Ends every search; the answers are the caller's to set.
    void stop();

    std::string solver;
    std::string dataFolder;
    std::string scratch;
    std::array<Run, 2> runs;
};

// The tool `name` ("marrowgast-solve") for the game whose own file is `programFile`: beside it,
// else in the bin folder beside its folder (installed, the game is in games/ and the tools in
// bin/). Empty when neither is a file; `looked` then names the places looked at.
std::string findTool(const std::string& programFile, std::string_view name, std::string& looked);
