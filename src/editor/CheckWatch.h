#pragma once
#include "platform/system/ChildProcess.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One finding of the room check, as `marrowgast-check` words it.
struct CheckFinding {
    // The edited room's line it is on (from 1); 0 for one about a whole file.
    int line = 0;
    // The file it is about when it is not the edited room (an animation set, a sound): empty
    // for the room.
    std::string file;
    // The check's message, "warning: " included.
    std::string message;
};

// The room check run on the room as it stands after every change, never in the editor's own
// process: `marrowgast-check --measure` on a copy of the room in a folder of the editor's own,
// a newer room ending the older run. Its findings name the copy; they are read back as the
// edited room's.
class CheckWatch {
  public:
    enum class State { Idle, Checking, Done, Failed };

    // `checker` is the program, `dataFolder` the folder whose res/ the room's sets and images
    // come from, `scratch` a folder for the room's copy.
    CheckWatch(std::string checker, std::string dataFolder, std::string scratch);

    // Ends what runs and checks `roomText`. False, with the reason, when the copy cannot be
    // written or the check cannot start; the state is then Failed.
    bool check(std::string_view roomText, std::string& why);
    // Reads what the check wrote, never waiting; true when a run ended (the findings and the
    // measures are then the new room's).
    bool poll();

    State state() const { return current; }
    // Of the last run that ended; kept while a newer one runs.
    const std::vector<CheckFinding>& findings() const { return found; }
    // "background 65.8%, platform rows 10-28 (19)"; empty when the room could not be measured.
    const std::string& measures() const { return measured; }
    // Failed: why.
    const std::string& failure() const { return reason; }
    // What the last run found, as the editor's status line says it: "check: no findings,
    // background 69.8%, platform rows 11-27 (17)", "check: 2 findings, ...", "check: no answer: ...".
    std::string summaryText() const;

  private:
    void readLine(std::string_view line);
    void finish();

    std::string checker;
    std::string dataFolder;
    std::string copy;
    ChildProcess child;
    State current = State::Idle;
    std::string pending;
    // What the running check has said so far.
    std::vector<CheckFinding> coming;
    std::string comingMeasures;
    bool summarised = false;
    std::string lastError;
    std::vector<CheckFinding> found;
    std::string measured;
    std::string reason;
};

// The room file's line (from 0) a click on the finding selects; none for one about a whole file.
std::optional<std::size_t> findingLine(const CheckFinding& finding);

// A finding as the editor's status line says it: "finding at line 5: ...", "finding: ..." for
// one about the whole room, "finding in res/textures/robot_a.set: ..." for another file's.
std::string findingText(const CheckFinding& finding);
