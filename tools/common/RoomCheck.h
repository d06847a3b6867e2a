#pragma once
#include "app/DataLookup.h"

#include <array>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

// What a room author gets wrong that the game absorbs without a word: every room file,
// and every animation set, image and sound the game would load with it, read through the
// game's own reader, registry and object types. Paths are relative to the working
// directory, as the game resolves them.
//
// Each problem is one line `FILE:LINE: message`; problems with a whole file (a missing
// file, a missing entry point, an animation a set lacks) are `FILE: message`.
class RoomCheck {
  public:
    explicit RoomCheck(std::ostream& out);
    ~RoomCheck();
    RoomCheck(const RoomCheck&) = delete;
    RoomCheck& operator=(const RoomCheck&) = delete;

    // Reads one room file and notes the set files it leads to. False when it cannot be
    // opened (reported as a problem too).
    bool checkRoom(const std::string& fileName);
    // Prints `FILE: measure: ` and the room's measures (game/RoomMeasures.h), drawn on the
    // drawing device; neither a problem nor a warning.
    void measure(const std::string& fileName);
    // Then: every set file noted (the player's first), their frames, and the sounds.
    void checkSetsAndSounds();

    int problems() const { return problemCount; }
    // The lines of the entry points the last room read uses from the left and from the right
    // (a room lacking one lends the other); 0 for none.
    std::array<int, 2> lastEntryLines() const { return entryLines; }
    // A problem found outside the reading, such as a way the solver cannot cross.
    void addProblem(const std::string& file, int line, const std::string& message);
    // What may be meant, such as a crossing an author made hard on purpose: printed as
    // `FILE:LINE: warning: message`, counted apart from the problems.
    void addWarning(const std::string& file, int line, const std::string& message);
    int warnings() const { return warningCount; }

    // Also used by the set files' animation-name checks.
    enum Role { PlayerSet, BodySet, LaserSet };

  private:
    class Listener;
    friend class Listener;

    void report(const std::string& file, int line, const std::string& message);
    void checkImage(const std::string& where, int line, const std::string& image);
    void noteSet(const std::string& setFile, Role role);
    void checkSet(const std::string& setFile);
    void checkSound(const std::string& soundFile);

    std::ostream& out;
    int problemCount = 0;
    int warningCount = 0;
    // Set files in the order first named, with what plays them.
    std::vector<std::string> setOrder;
    std::map<std::string, std::vector<Role>> setRoles;
    // Image file name to whether it decodes; each is decoded once.
    std::map<std::string, bool> images;
    std::array<int, 2> entryLines{};
};

// The command line `marrowgast-check [--root DIR] [--solve] [--min-window STEPS] [--measure]
// [ROOMFILE...]`; --measure also prints each room's measures;
// --solve also runs the solver (tools/common/Solver.h) on each room both ways and warns of a
// crossing whose tightest window is under FairWindowSteps; --min-window solves and makes a
// window under STEPS a problem. Prints the problems and
// a count on `out`, usage errors on `err`. Returns 0 when nothing was found, 1 when
// problems were, 2 on a usage error or a room file that cannot be opened. Every res/ name is
// read from the root, as the game reads it from its data folder; the working directory is left
// as it is. Without --root the root is found by `lookup` as the game finds its data; with no
// lookup it is the working directory.
int runRoomCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const DataLookup* lookup = nullptr);
