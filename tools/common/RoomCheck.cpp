#include "tools/common/RoomCheck.h"

#include "app/CommandLine.h"
#include "app/GameSetup.h"

#include "actors/Player.h"
#include "actors/Robot.h"
#include "definitions/AnimationSet.h"
#include "definitions/AsciiCase.h"
#include "definitions/DataFile.h"
#include "definitions/DefinitionFile.h"
#include "definitions/DefinitionObserver.h"
#include "definitions/Quoted.h"
#include "game/RoomMeasures.h"
#include "game/WorldOperations.h"
#include "graphics/RgbaImage.h"
#include "graphics/SpriteRenderer.h"
#include "platform/ImageFile.h"
#include "platform/SoundFile.h"
#include "tools/common/Solver.h"
#include "world/EntryPoint.h"
#include "world/Lift.h"
#include "world/ObjectRegistry.h"
#include "world/Room.h"
#include "world/RoomKeys.h"
#include "world/Searchable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <span>
#include <sstream>
#include <string_view>
#include <utility>

namespace {

const std::vector<std::string> SoundFiles = {DeathSounds[0], DeathSounds[1], DeathSounds[2], LaserSound};

// The animations the game plays from each kind of set.
const std::vector<std::string_view> PlayerSetAnimations(PlayerAnimations.begin(), PlayerAnimations.end());
const std::vector<std::string_view> BodyAnimations(RobotBodyAnimations.begin(), RobotBodyAnimations.end());
const std::vector<std::string_view> LaserAnimations(RobotLaserAnimations.begin(), RobotLaserAnimations.end());

bool holdsWhiteSpace(std::string_view word) {
    return word.find_first_of("\t\r\v\f") != std::string_view::npos;
}

// Lines whose first word starts with "#" are the authors' comments; the game ignores
// them like any other unknown line, and so does the check.
bool isComment(std::string_view word) {
    return !word.empty() && word.front() == '#';
}

const std::string TabHint = ": words are separated by spaces only, and this one holds a tab";

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool isRegularFile(const std::string& name) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(dataFilePath(name), ignored);
}

// Why the game would not open a file, for the end of a "cannot open" line.
std::string whyNotOpened(const std::string& name, std::uintmax_t bound) {
    return ": " + whyDataFileUnreadable(name, bound);
}

// A box as the game's objects have one: left edge x, bottom edge y, width and height.
struct Box {
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
    // Sharing an area above zero; boxes that only touch do not overlap.
    bool overlaps(const Box& o) const {
        return std::min(x + w, o.x + o.w) > std::max(x, o.x) && std::min(y, o.y) > std::max(y - h, o.y - o.h);
    }
    // Reaching into `o` at all (a box of no size counts by its place).
    bool reachesInto(const Box& o) const {
        return x < o.x + o.w && x + w > o.x && y - h < o.y && y > o.y - o.h;
    }
    bool within(const Box& o) const {
        return x >= o.x && x + w <= o.x + o.w && y - h >= o.y - o.h && y <= o.y;
    }
};

constexpr Box RoomBox{0.0f, RoomHeight, RoomWidth, RoomHeight};

std::string number(float value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// "x 0 to 40 and y 0 to 30"
std::string roomSpan() {
    return "x 0 to " + number(RoomWidth) + " and y 0 to " + number(RoomHeight);
}

// "x 30 to 46, y 29 to 30"
std::string span(const Box& b) {
    return "x " + number(b.x) + " to " + number(b.x + b.w) + ", y " + number(b.y - b.h) + " to " +
           number(b.y);
}

} // namespace

// Turns the reader's notifications into problem lines for the file being read.
class RoomCheck::Listener : public DefinitionObserver {
  public:
    Listener(RoomCheck& check, std::string file, ObjectRegistry* registry)
        : check(check), file(std::move(file)), registry(registry) {}

    void lineRead(int lineNumber, bool cut) override {
        finishLine();
        line = lineNumber;
        if (cut)
            report("the line is longer than " + std::to_string(DefinitionFile::MaxLineLength) +
                   " characters: the rest of it is ignored");
    }

    void unknownType(std::string_view word) override {
        if (isComment(word))
            return;
        if (registry == nullptr) {
            if (holdsWhiteSpace(word))
                report("the line starts with " + quotedText(word) + TabHint + ": the line is ignored");
            else if (lowerCase(word) == "set")
                report(quotedText(word) + " is not \"set\" (lower case): the line is ignored");
            else
                report("the line does not start with \"set\": it is ignored");
            return;
        }
        if (holdsWhiteSpace(word))
            report("unknown object type " + quotedText(word) + TabHint + ": the line is ignored");
        else if (registry->contains(lowerCase(word)))
            report("unknown object type " + quotedText(word) + ": type words are lower case (" +
                   quotedText(lowerCase(word)) + "): the line is ignored");
        else
            report("unknown object type " + quotedText(word) + " (types: " + typeList() +
                   "): the line is ignored");
    }

    void unknownKey(std::string_view key) override {
        std::string message = "unknown key " + quotedText(key);
        if (holdsWhiteSpace(key))
            message += TabHint;
        else if (lowerCase(key) != key)
            message += ": keys are lower case";
        report(message + ": skipped, and the next word is read as a key");
    }

    void incompleteGroup(std::string_view key, std::size_t present, std::size_t needed) override {
        report(quotedText(key) + " needs " + plural(needed, "value", "values") + " but the line ends after " +
               std::to_string(present) + ": it is ignored");
    }

    void objectRejected(std::string_view type) override {
        if (!objectReported)
            report("the " + std::string(type) + " is left out of the room");
    }

    void badNumber(std::string_view word, NumberForm form) override {
        if (form == NumberForm::NoNumber)
            report(quotedText(word) + " is not a number: it reads as 0");
        else
            report(quotedText(word) + " is not a plain number: only the number it starts with counts");
    }

    void absurdNumber(std::string_view word, double value) override {
        std::ostringstream read;
        if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
            read << static_cast<long long>(value);
        else
            read << std::setprecision(9) << value;
        report(quotedText(word) + " reads as " + read.str() + ", far outside any room (" + number(RoomWidth) +
               " by " + number(RoomHeight) + " units): the game takes it as it is");
    }

    void keyRead(std::string_view key, std::size_t values) override {
        if (values > 0)
            givenKeys.emplace_back(key);
    }

    void objectRead(std::string_view type, GameObject& object) override {
        objectReported = false;
        // What the room leaves out is never met in play.
        if (registry != nullptr && !object.rejected)
            placed.push_back(placedObject(type, object));
        const std::span<const RoomKey> keys =
            registry != nullptr ? registry->keysOf(type) : std::span<const RoomKey>();
        const bool missing = reportMissingKeys(type, keys);
        if (missing && object.rejected)
            objectReported = true;
        if (type == "entrypoint") {
            const auto& entry = static_cast<EntryPoint&>(object);
            (entry.side == 0 ? leftLines : rightLines).push_back(line);
        } else if (type == "lift") {
            const auto& lift = static_cast<Lift&>(object);
            if (lift.rejected && !missing)
                rejectedBecause("the lift's \"startpoint\" " + std::to_string(lift.startIndex) +
                                " is not one of its " +
                                plural(lift.waypoints.size(), "waypoint", "waypoints") + " (0 to " +
                                std::to_string(lift.waypoints.size() - 1) + ")");
        } else if (type == "searchable") {
            const auto& searchable = static_cast<Searchable&>(object);
            if (!(searchable.w > 0.0f && searchable.h > 0.0f))
                report(R"(the searchable needs a "width" and a "height" above 0)");
            if (searchable.percentage <= 0)
                report("the searchable's \"percentage\" is " + std::to_string(searchable.percentage) +
                       ": it is never shown and cannot be searched");
        }
        // Files are checked once the type is known: a robot's "texture" is a set file.
        for (const auto& [key, name] : namedFiles) {
            const RoomKey* described = findRoomKey(keys, key);
            if (described != nullptr && described->value == KeyValue::SetFile)
                robotSet(key, name);
            else
                check.checkImage(file, line, name);
        }
        namedFiles.clear();
    }

    void unknownKeyword(std::string_view key, std::string_view word) override {
        if (key == "side")
            report(quotedText(word) + R"( is not a side ("left" or "right"): ignored)");
        else
            report(quotedText(word) + " is not a speed (reallyslow, slow, normal, fast, ludicrous): ignored");
    }

    void patrolRead(std::string_view lastWord) override { patrolEndsWithLaser = lastWord == "laser"; }

    // A patrol that ends in "laser" followed by a word that is no key: the author's
    // "laser" key with its file, swallowed by the patrol.
    void unknownPatrolWord(std::string_view word) override {
        swallowedLaserKey = swallowedLaserKey || patrolEndsWithLaser;
        report(quotedText(word) +
               " is neither a behaviour nor a key: the patrol ends before it and it is skipped");
    }

    void fileNamed(std::string_view key, std::string_view fileName) override {
        if (key == "set")
            check.checkImage(file, line, std::string(fileName));
        else
            namedFiles.emplace_back(std::string(key), std::string(fileName));
    }

    void animationRead(std::string_view name, std::size_t frames, bool alreadyDefined) override {
        if (alreadyDefined) {
            report("animation " + quotedText(name) + " is defined already on line " +
                   std::to_string(animationLines[std::string(name)]) + ": this line is ignored");
            return;
        }
        animationLines[std::string(name)] = line;
        if (frames == 0)
            report("animation " + quotedText(name) + " has no images: nothing is drawn while it plays");
    }

    // Problems of the whole room, once its last line is read: first what breaks play, in line
    // order, then the entry-point counts.
    void finishRoom() {
        finishLine();
        checkPlay();
        line = 0;
        entryPointCount(leftLines, "left");
        entryPointCount(rightLines, "right");
    }

    // The line of the entry point the player comes in by from `side` (0 left, 1 right): the
    // last of that side, else the other side's it borrows; 0 when the room has none.
    int entryLine(int side) const {
        const std::vector<int>& own = side == 0 ? leftLines : rightLines;
        const std::vector<int>& other = side == 0 ? rightLines : leftLines;
        return !own.empty() ? own.back() : !other.empty() ? other.back() : 0;
    }

  private:
    void report(const std::string& message) { check.report(file, line, message); }

    // A room object as play meets it: its box where the room starts, and for lifts the box at
    // every stop.
    struct Placed {
        std::string type;
        int line = 0;
        Box box;
        int side = 0;
        std::vector<Box> stops;
        std::vector<float> robotXs;
    };

    Placed placedObject(std::string_view type, GameObject& object) const {
        Placed p;
        p.type = std::string(type);
        p.line = line;
        p.box = {object.x, object.y, object.w, object.h};
        if (type == "entrypoint") {
            p.side = static_cast<EntryPoint&>(object).side;
            p.box.w = PlayerWidth;
            p.box.h = PlayerHeight;
        } else if (type == "lift") {
            const auto& lift = static_cast<Lift&>(object);
            for (const Lift::Waypoint& stop : lift.waypoints)
                p.stops.push_back({object.x, stop.y, object.w, object.h});
        } else if (type == "robot") {
            const auto& robot = static_cast<Robot&>(object);
            p.box.x = robot.startX;
            p.box.y = robot.startY;
            p.robotXs = {robot.startX, static_cast<float>(robot.waypoint1X),
                         static_cast<float>(robot.waypoint2X)};
        }
        return p;
    }

    // What breaks play though every line reads well.
    void checkPlay() {
        for (const Placed& p : placed) {
            line = p.line;
            if (p.type == "entrypoint") {
                checkEntryPoint(p);
                continue;
            }
            const Box& b = p.box;
            if (!b.reachesInto(RoomBox)) {
                report("the " + p.type + " (" + span(b) + ") lies wholly outside the room, which is " +
                       roomSpan() + ": it is never met");
                continue;
            }
            if (p.type == "platform" && !b.within(RoomBox))
                report("the platform (" + span(b) + ") reaches outside the room, which is " + roomSpan() +
                       ": the part outside is not seen but still stands in the way");
            if (p.type == "lift")
                checkLift(p);
            if (p.type == "robot") {
                const char* const what[] = {"start", "first waypoint", "second waypoint"};
                for (std::size_t i = 0; i < p.robotXs.size(); ++i) {
                    const float x = p.robotXs[i];
                    if (x < 0.0f || x + RobotWidth > RoomWidth)
                        report("the robot's " + std::string(what[i]) + " x " + number(x) +
                               " is outside the room: its left edge must be from 0 to " +
                               number(RoomWidth - RobotWidth));
                }
            }
        }
    }

    void checkEntryPoint(const Placed& p) {
        const Box& b = p.box;
        const std::string which = std::string("the \"") + (p.side == 0 ? "left" : "right") +
                                  "\" entry point at (" + number(b.x) + ", " + number(b.y) + ")";
        if (!b.within(RoomBox)) {
            report(which + " puts the player outside the room: its box, " + number(PlayerWidth) +
                   " wide and " + number(PlayerHeight) + " high above its feet, must lie within " +
                   roomSpan());
            return;
        }
        bool below = false;
        for (const Placed& other : placed) {
            if (other.type != "platform" && other.type != "lift")
                continue;
            if (b.overlaps(other.box)) {
                report(which + " puts the player inside the " + other.type + " of line " +
                       std::to_string(other.line) + ": it is stuck there");
                return;
            }
            const float top = other.box.y - other.box.h;
            below = below || (other.box.x <= b.x + b.w && b.x <= other.box.x + other.box.w &&
                              top + LandingTolerance > b.y && top <= RoomBox.y);
        }
        if (!below)
            report(which + " has nothing below it inside the room: the player falls out, dies and comes back "
                           "there for ever");
    }

    void checkLift(const Placed& p) {
        for (std::size_t i = 1; i < p.stops.size(); ++i) {
            if (p.stops[i].y < p.stops[i - 1].y) {
                report("the lift's stops are not listed from the top down (stop " + std::to_string(i) +
                       " at y " + number(p.stops[i].y) + " is above stop " + std::to_string(i - 1) +
                       " at y " + number(p.stops[i - 1].y) + "): Up takes it down");
                break;
            }
        }
        for (std::size_t i = 0; i < p.stops.size(); ++i) {
            for (const Placed& other : placed) {
                if (other.type == "platform" && p.stops[i].overlaps(other.box))
                    report("the lift at its stop " + std::to_string(i) + " (y " + number(p.stops[i].y) +
                           ") overlaps the platform of line " + std::to_string(other.line) +
                           ": it stands in the platform as a wall");
            }
        }
    }

    void rejectedBecause(const std::string& why) {
        report(why + ": the game leaves it out of the room");
        objectReported = true;
    }

    void finishLine() {
        patrolEndsWithLaser = false;
        swallowedLaserKey = false;
        namedFiles.clear();
        givenKeys.clear();
    }

    // A finding for each key the type needs that the line gave no value; true when there was one.
    bool reportMissingKeys(std::string_view type, std::span<const RoomKey> keys) {
        bool missing = false;
        for (const RoomKey& key : keys) {
            if (!key.required() || std::find(givenKeys.begin(), givenKeys.end(), key.name) != givenKeys.end())
                continue;
            missing = true;
            if (key.name == "laser" && swallowedLaserKey)
                report("the \"laser\" after the patrol is read as a behaviour, not as the \"laser\" key: put "
                       "the "
                       "\"laser\" key before \"patrol\"");
            else
                report("the " + std::string(type) + " has no " + quotedText(key.name) +
                       (key.value == KeyValue::SetFile ? " set: " : ": ") + std::string(key.withoutIt));
        }
        return missing;
    }

    std::string typeList() const {
        std::string list;
        for (const std::string_view name : registry->names())
            list += (list.empty() ? "" : ", ") + std::string(name);
        return list;
    }

    void robotSet(const std::string& key, const std::string& setFile) {
        DefinitionFile probe;
        if (!probe.open(setFile)) {
            report("cannot open the animation set " + quotedText(setFile) +
                   whyNotOpened(setFile, MaxDefinitionFileBytes));
            return;
        }
        check.noteSet(setFile, key == "texture" ? BodySet : LaserSet);
    }

    void entryPointCount(const std::vector<int>& lines, const char* side) {
        if (lines.size() == 1)
            return;
        if (lines.empty()) {
            report(std::string("no \"") + side + "\" entry point");
            return;
        }
        std::string list;
        for (const int l : lines)
            list += (list.empty() ? "" : ", ") + std::to_string(l);
        report(std::to_string(lines.size()) + " \"" + side + "\" entry points (lines " + list +
               "): only the last one is used");
    }

    RoomCheck& check;
    std::string file;
    // The room reader's registry; none while a set file is read.
    ObjectRegistry* registry;
    int line = 0;
    bool patrolEndsWithLaser = false;
    bool swallowedLaserKey = false;
    bool objectReported = false;
    std::vector<std::pair<std::string, std::string>> namedFiles;
    // The keys of the line that took values.
    std::vector<std::string> givenKeys;
    std::vector<int> leftLines;
    std::vector<int> rightLines;
    std::map<std::string, int> animationLines;
    std::vector<Placed> placed;
};

RoomCheck::RoomCheck(std::ostream& out) : out(out) {
    noteSet(PlayerSetFile, PlayerSet);
}

RoomCheck::~RoomCheck() = default;

namespace {

// "FILE:LINE: " and the finding; a finding about the whole file has no line.
void writeFinding(std::ostream& out, const std::string& file, int line, std::string_view message) {
    out << file;
    if (line > 0)
        out << ':' << line;
    out << ": " << message << '\n';
}

} // namespace

void RoomCheck::report(const std::string& file, int line, const std::string& message) {
    ++problemCount;
    writeFinding(out, file, line, message);
}

bool RoomCheck::checkRoom(const std::string& fileName) {
    ObjectRegistry registry;
    registerObjectTypes(registry);
    Listener listener(*this, fileName, &registry);
    Room room(registry);
    room.observer = &listener;
    if (!room.loadFile(fileName)) {
        report(fileName, 0, "cannot open the room file" + whyNotOpened(fileName, MaxDefinitionFileBytes));
        return false;
    }
    listener.finishRoom();
    entryLines = {listener.entryLine(0), listener.entryLine(1)};
    return true;
}

void RoomCheck::measure(const std::string& fileName) {
    ObjectRegistry registry;
    registerObjectTypes(registry);
    Room room(registry);
    if (room.loadFile(fileName))
        writeFinding(out, fileName, 0, "measure: " + measureRoom(room).text());
}

void RoomCheck::addProblem(const std::string& file, int line, const std::string& message) {
    report(file, line, message);
}

void RoomCheck::addWarning(const std::string& file, int line, const std::string& message) {
    ++warningCount;
    writeFinding(out, file, line, "warning: " + message);
}

void RoomCheck::checkImage(const std::string& where, int line, const std::string& image) {
    auto found = images.find(image);
    if (found == images.end()) {
        RgbaImage decoded;
        found = images.emplace(image, readImageFile(image, decoded)).first;
    }
    if (found->second)
        return;
    if (!isRegularFile(image) || dataFileProblem(image, MaxImageFileBytes) != DataFileProblem::None)
        report(where, line,
               "cannot open the image " + quotedText(image) + whyNotOpened(image, MaxImageFileBytes));
    else
        report(where, line,
               "the image " + quotedText(image) + " is not a PNG or JPEG the game can read (at most " +
                   std::to_string(MaxImageSide) + " pixels a side)");
}

void RoomCheck::noteSet(const std::string& setFile, Role role) {
    auto [entry, added] = setRoles.try_emplace(setFile);
    if (added)
        setOrder.push_back(setFile);
    for (const Role known : entry->second) {
        if (known == role)
            return;
    }
    entry->second.push_back(role);
}

void RoomCheck::checkSet(const std::string& setFile) {
    Listener listener(*this, setFile, nullptr);
    AnimationSet set;
    if (!set.load(setFile, &listener)) {
        // Robots' sets were opened when they were named; only the player's can be missing.
        report(setFile, 0,
               "cannot open the player's animation set" + whyNotOpened(setFile, MaxDefinitionFileBytes));
        return;
    }
    for (const Role role : setRoles[setFile]) {
        const auto& names = role == PlayerSet ? PlayerSetAnimations
                            : role == BodySet ? BodyAnimations
                                              : LaserAnimations;
        const char* who = role == PlayerSet ? "the player plays"
                          : role == BodySet ? "a robot's body plays (\"texture\")"
                                            : "a robot's beam plays (\"laser\")";
        for (const std::string_view name : names) {
            if (!set.defines(name))
                report(setFile, 0, "no animation " + quotedText(name) + ", which " + who);
        }
    }
}

void RoomCheck::checkSound(const std::string& soundFile) {
    if (isPlayableWavFile(soundFile))
        return;
    if (!isRegularFile(soundFile) || dataFileProblem(soundFile, MaxSoundFileBytes) != DataFileProblem::None)
        report(soundFile, 0, "cannot open the sound" + whyNotOpened(soundFile, MaxSoundFileBytes));
    else
        report(soundFile, 0,
               "not a WAV sound the game can play (PCM at 4000 Hz or more, at most 256 MB once converted)");
}

void RoomCheck::checkSetsAndSounds() {
    for (const std::string& setFile : setOrder)
        checkSet(setFile);
    for (const std::string& sound : SoundFiles)
        checkSound(sound);
}

namespace {

const CommandLineProgram Program{
    "marrowgast-check",
    "usage: marrowgast-check [--root DIR] [--solve] [--min-window STEPS] [--max-memory MiB] [--measure]\n"
    "                        [--version] [ROOMFILE...]\n"
    "Reads each room file (default the ring's four) and every set, image and sound it leads to\n"
    "as the game would, and prints each problem as FILE:LINE: message.\n",
    {
        {"--root", "DIR", "the folder that holds res/; without it the data is looked for as the game does"},
        {"--solve", "",
         "also search each room for a crossing each way, report a way that has none, and warn of\n"
         "a crossing whose tightest window is under 9 steps"},
        {"--min-window", "STEPS",
         "solve, and count a crossing whose tightest window is under STEPS steps (1 to 121) as a\n"
         "problem; without it --solve warns under 9"},
        {"--max-memory", "MiB", "the memory one --solve search may hold (default 1024)"},
        {"--measure", "",
         "also print each room's looks as FILE: measure: background 65.8%, platform rows 10-28 (19):\n"
         "the share of its 640 x 480 picture left background (platforms, lifts and searchables\n"
         "drawn), and the rows from its highest platform top to its lowest"},
    },
    "Exit status: 0 nothing found (warnings aside), 1 problems found, 2 usage error or a room\n"
    "file that cannot be opened.\n",
    true,
};

// What --solve asks of a crossing's tightest window: under `steps`, a warning, or with `strict`
// (--min-window) a problem.
struct WindowRule {
    int steps = FairWindowSteps;
    bool strict = false;
};

// With --solve: a finding on the entry point's line for each way the room cannot be crossed,
// and for each way whose crossing asks for a key event within fewer steps than `rule` allows.
// False, with `error` set, when the solver cannot start (the ring's first room unreadable).
bool solveChecked(GameSetup& game, RoomCheck& check, const std::string& room, std::size_t memoryLimit,
                  WindowRule rule, std::ostream& err, std::string& error) {
    int ring = 0;
    for (std::size_t i = 0; i < RingSize; ++i) {
        if (RingRoomFiles[i] == room)
            ring = static_cast<int>(i) + 1;
    }
    const std::array<int, 2> lines = check.lastEntryLines();
    for (const Way way : {Way::East, Way::West}) {
        const char* name = way == Way::East ? "east" : "west";
        SearchBounds bounds;
        bounds.memoryLimit = memoryLimit;
        bounds.progress = &err;
        bounds.progressLabel = "marrowgast-check: --solve: " + quotedText(room) + " " + name;
        const Crossing crossing = ring != 0 ? solveRoom(game, ring, way, bounds, error)
                                            : solveRoomFile(game, room, way, bounds, error);
        if (!error.empty())
            return false;
        const int line = lines[way == Way::East ? 0 : 1];
        if (crossing.found) {
            if (crossing.presses.empty() || crossing.tightestWindow >= rule.steps)
                continue;
            const std::string message = std::string("the solver's easiest crossing ") + name +
                                        " has a tightest window of " + tightestText(crossing) + ", under " +
                                        std::to_string(rule.steps) + ": a person needs many tries there";
            if (rule.strict)
                check.addProblem(room, line, message);
            else
                check.addWarning(room, line, message);
            continue;
        }
        if (crossing.stopped())
            check.addProblem(room, line,
                             std::string("no crossing ") + name +
                                 " from this entry point was found: the solver's " + stoppedText(crossing));
        else
            check.addProblem(room, line,
                             std::string("the room cannot be crossed ") + name +
                                 " from this entry point: no crossing within " +
                                 std::to_string(bounds.maxSteps) + " steps (" +
                                 std::to_string(crossing.states) + " states searched)");
    }
    return true;
}

} // namespace

int runRoomCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const DataLookup* lookup) {
    std::string root = ".";
    bool rootGiven = false;
    bool solve = false;
    bool measure = false;
    WindowRule windowRule;
    std::size_t memoryLimit = DefaultMemoryLimitMiB << 20;
    std::vector<std::string> rooms;
    std::vector<CommandWord> words;
    if (const int status = readCommandLine(Program, args, words, out, err); status >= 0)
        return status;
    for (const CommandWord& word : words) {
        if (word.option == "--root") {
            root = word.value;
            rootGiven = true;
        } else if (word.option == "--solve") {
            solve = true;
        } else if (word.option == "--measure") {
            measure = true;
        } else if (word.option == "--min-window") {
            const std::string& value = word.value;
            int steps = 0;
            const auto [end, failed] = std::from_chars(value.data(), value.data() + value.size(), steps);
            if (failed != std::errc() || end != value.data() + value.size() || steps < 1 ||
                steps > MostWindowSteps)
                return refuseCommandLine(Program.name,
                                         "--min-window: expected a whole number of steps from 1 to " +
                                             std::to_string(MostWindowSteps) + ", not " + quotedText(value),
                                         err);
            windowRule = {steps, true};
            solve = true;
        } else if (word.option == "--max-memory") {
            const std::string& value = word.value;
            std::size_t mib = 0;
            const auto [end, failed] = std::from_chars(value.data(), value.data() + value.size(), mib);
            if (failed != std::errc() || end != value.data() + value.size() || mib < 1 ||
                mib > MostMemoryLimitMiB)
                return refuseCommandLine(Program.name,
                                         "--max-memory: expected a whole number of MiB from 1 to " +
                                             std::to_string(MostMemoryLimitMiB) + ", not " +
                                             quotedText(value),
                                         err);
            memoryLimit = mib << 20;
        } else if (word.option.empty()) {
            rooms.push_back(word.value);
        }
    }
    if (rooms.empty())
        rooms.assign(RingRoomFiles.begin(), RingRoomFiles.end());
    if (!rootGiven && lookup != nullptr) {
        const DataLocation data = findDataDirectory(*lookup);
        if (data.directory.empty()) {
            err << "marrowgast-check: " << data.error << "\n";
            return 2;
        }
        root = data.directory;
    }

    // The game reads every res/ name from its data folder; the check reads them from the root.
    GameSetup game(root);
    if (!game.usable()) {
        err << "marrowgast-check: cannot use " << root << " as the root: " << game.dataError().message()
            << "\n";
        return 2;
    }
    if (measure && !game.useHeadlessDevice(MeasureWidth, MeasureHeight)) {
        err << "marrowgast-check: --measure: " << game.error() << "\n";
        return 2;
    }
    RoomCheck check(out);
    bool allOpened = true;
    for (const std::string& room : rooms) {
        const bool opened = check.checkRoom(room);
        allOpened = opened && allOpened;
        if (opened && measure)
            check.measure(room);
        std::string error;
        if (opened && solve && !solveChecked(game, check, room, memoryLimit, windowRule, err, error)) {
            err << "marrowgast-check: --solve: " << error << "\n";
            return 2;
        }
    }
    check.checkSetsAndSounds();

    const int count = check.problems();
    const std::string warnings =
        check.warnings() == 0
            ? ""
            : ", " + plural(static_cast<std::size_t>(check.warnings()), "warning", "warnings");
    if (count == 0)
        out << "no problems found" << warnings << "\n";
    else
        out << plural(static_cast<std::size_t>(count), "problem", "problems") << " found" << warnings << "\n";
    if (!allOpened)
        return 2;
    return count == 0 ? 0 : 1;
}
