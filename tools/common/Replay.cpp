#include "tools/common/Replay.h"

#include "definitions/NumberText.h"

#include "definitions/DataFile.h"
#include "definitions/Quoted.h"

#include "actors/Player.h"
#include "actors/Robot.h"
#include "app/CommandLine.h"
#include "app/DisplayMode.h"
#include "app/FrameLoop.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "app/KeyScript.h"
#include "game/WorldOperations.h"
#include "game/WorldSnapshot.h"
#include "graphics/Graphics.h"
#include "input/Keyboard.h"
#include "platform/ImageFile.h"
#include "platform/OutputFile.h"
#include "platform/system/MemoryUse.h"
#include "sound/Sound.h"
#include "tools/common/UnitGrid.h"
#include "world/Room.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>
#include <type_traits>

namespace {

// Floats as the shortest text that reads back as exactly the same float.
template <class Number> void appendNumber(std::string& out, Number value) {
    char text[MaxShortestTextLength];
    if constexpr (std::is_floating_point_v<Number>)
        out.append(text, writeShortestText(text, value));
    else
        out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// Sounds and room files in the order they happen, as the events column shows them. The
// text keeps its storage from step to step.
class EventRecorder final : public SoundSink {
  public:
    void playSound(const char* fileName) override { add("sound=", fileName != nullptr ? fileName : ""); }
    void stopAllSounds() override { add("stop", ""); }
    void add(std::string_view what, std::string_view name) {
        if (!text.empty())
            text += ',';
        text += what;
        text += name;
    }
    std::string text;
};

// An output file, or standard output for "-". Opened without emptying anything, so a run that
// cannot start leaves every output as it was; `begin` empties a regular file when it does.
class TraceOutput {
  public:
    bool open(const std::string& fileName, std::ostream& standardOutput, std::string& why) {
        name = fileName;
        if (fileName == "-") {
            stream = &standardOutput;
            return true;
        }
        buffer.reserve(BufferBytes);
        opened = file.open(fileName, OutputFile::Accept::RegularFileOrStream, why);
        return opened;
    }
    bool begin(std::string& why) { return !file.isOpen() || file.truncate(0, why); }
    bool active() const { return stream != nullptr || opened; }
    void write(const std::string& text) {
        if (stream) {
            stream->write(text.data(), static_cast<std::streamsize>(text.size()));
            return;
        }
        buffer += text;
        if (buffer.size() >= BufferBytes)
            drain();
    }
    // False with `why` when anything written did not arrive.
    bool finish(std::string& why) {
        if (stream) {
            stream->flush();
            if (!*stream)
                why = "standard output failed";
            return static_cast<bool>(*stream);
        }
        drain();
        std::string closing;
        if (file.isOpen() && !file.close(closing) && failure.empty())
            failure = closing;
        why = failure;
        return failure.empty();
    }
    // Takes back a file this run created, so a failed start leaves nothing behind; anything
    // that was there before stays.
    void discard() {
        file.discard();
        stream = nullptr;
        opened = false;
    }
    std::string name;

  private:
    static constexpr std::size_t BufferBytes = 65536;
    void drain() {
        if (!buffer.empty() && failure.empty() && !file.write(buffer, failure) && failure.empty())
            failure = "write failed";
        buffer.clear();
    }
    OutputFile file;
    std::ostream* stream = nullptr;
    std::string buffer;
    std::string failure;
    bool opened = false;
};

// The game's own hooks, with a word after every key event delivered: a step may deliver
// hundreds of thousands (display changes, screenshots asked for), which takes seconds.
class ReplayHooks final : public GameHooks {
  public:
    ReplayHooks(InputState& input, std::function<void()> delivered)
        : GameHooks(input), delivered(std::move(delivered)) {}
    void dispatchKey(int code, int pressed) override {
        GameHooks::dispatchKey(code, pressed);
        delivered();
    }

  private:
    std::function<void()> delivered;
};

void drawFrame(GameHooks& hooks) {
    hooks.beginFrame();
    hooks.renderWorld();
    hooks.endFrame();
}

} // namespace

void appendFloat(std::string& out, float value) {
    appendNumber(out, value);
}

void appendWholeNumber(std::string& out, std::int64_t value) {
    appendNumber(out, value);
}

void appendTraceRow(std::string& out, std::int64_t step, std::string_view events) {
    appendNumber(out, step);
    out += '\t';
    appendNumber(out, world.currentRoom + 1);
    out += '\t';
    const Player* player = world.player.get();
    if (player != nullptr) {
        appendNumber(out, player->state);
        for (float value : {player->x, player->y, player->h, player->prevX, player->prevY}) {
            out += '\t';
            appendFloat(out, value);
        }
        out += '\t';
        appendNumber(out, player->facing);
        out += '\t';
        appendNumber(out, player->keys);
    } else {
        out += "-\t-\t-\t-\t-\t-\t-\t-";
    }
    out += '\t';
    appendFloat(out, world.curtainTimer);
    out += '\t';
    if (events.empty())
        out += '-';
    else
        out += events;
    out += '\n';
}

void appendObjectRows(std::string& out, std::int64_t step) {
    if (!world.room)
        return;
    const std::vector<ObjectRef>& objects = world.room->objects();
    for (std::size_t index = 0; index < objects.size(); ++index) {
        GameObject& object = *objects[index];
        const ObjectKind kind = object.kind();
        appendNumber(out, step);
        out += '\t';
        appendNumber(out, index);
        out += '\t';
        appendNumber(out, static_cast<int>(kind));
        out += '\t';
        appendFloat(out, object.x);
        out += '\t';
        appendFloat(out, object.y);
        out += '\t';
        if (!visitObjectPart(object,
                             [&](auto part, const auto& live) { appendDetail<decltype(part)>(out, live); }))
            out += '-';
        out += '\n';
    }
}

namespace {

// One run of the tool, stage by stage in the order they happen. A stage that refuses to go on
// has said why on the diagnostics stream and returns false; `refusal` is then the exit status.
// Everything the run sets up is undone when it ends, however it ends.
class ReplayRun {
  public:
    ReplayRun(const ReplayOptions& options, std::ostream& standardOutput, std::ostream& diagnostics)
        : options(options), standardOutput(standardOutput), diagnostics(diagnostics) {
        events.text.reserve(256);
        rows.reserve(4096);
    }

    bool findNamedFiles();
    bool readKeyScript();
    bool chooseStart();
    bool setUpGame();
    bool enterRing();
    bool openTraces();
    void playSteps();
    int finish();

    int refusal = ReplayBadInput;

  private:
    bool refuse(int status, const std::string& why);
    void reportProgress();
    bool playStep(std::int64_t step);
    void changeFocus(std::int64_t step);
    void queueKeys(std::int64_t step);
    void writeRows(std::int64_t step);
    void frameAfter(std::int64_t step);
    bool screenshotAfter(std::int64_t step);
    void writeShots(std::int64_t step);
    void checkEnd(std::int64_t step);
    int closeOutputs(int result);
    void printSummary() const;

    const ReplayOptions& options;
    std::ostream& standardOutput;
    std::ostream& diagnostics;

    // The names typed on the command line, as found from the working directory; the shots
    // in the order of their steps.
    std::string keysFile;
    std::string traceFile;
    std::string objectsTraceFile;
    std::vector<ReplayShot> shots;

    KeyScript script;
    StartRoom start;
    int width = 0;
    int height = 0;
    std::int64_t steps = 0;

    // Declared in the order they are made, so they go in the reverse one: the outputs, the
    // hooks, then the game, which gives the sound sink back before the recorder goes.
    EventRecorder events;
    std::optional<GameSetup> game;
    // The frame loop's own state: the replay uses its window focus alone.
    Engine window;
    std::optional<ProgressClock> progressClock;
    InputState input;
    std::optional<ReplayHooks> hooks;
    TraceOutput trace;
    TraceOutput objectsTrace;
    std::string rows;
    RgbaImage frame;

    // Where the steps have come, and what they have met.
    std::int64_t currentStep = 0;
    std::int64_t stepsRun = 0;
    std::size_t nextKey = 0;
    std::size_t nextFocus = 0;
    std::size_t nextShot = 0;
    std::size_t nextRecordedShot = 0;
    std::size_t stepEvents = 0;
    std::size_t eventsDelivered = 0;
    std::int64_t screenshotsTaken = 0;
    std::int64_t curtainSteps = 0;
    std::int64_t roomFilesRead = 0;
    long memoryAfterFirstChange = -1;
    bool shotFailed = false;
    bool screenshotFailed = false;
    bool endDiffers = false;
    std::chrono::steady_clock::time_point started;
    double seconds = 0.0;
};

} // namespace

int runReplay(const ReplayOptions& options, std::ostream& standardOutput, std::ostream& diagnostics) {
    ReplayRun run(options, standardOutput, diagnostics);
    if (!run.findNamedFiles() || !run.readKeyScript() || !run.chooseStart() || !run.setUpGame() ||
        !run.enterRing() || !run.openTraces())
        return run.refusal;
    run.playSteps();
    return run.finish();
}

namespace {

bool ReplayRun::refuse(int status, const std::string& why) {
    diagnostics << "marrowgast-replay: " << why << "\n";
    refusal = status;
    return false;
}

// Every file named on the command line is taken from where the tool was started, never from
// the root; a relative name is refused at once when that folder is gone.
bool ReplayRun::findNamedFiles() {
    keysFile = options.keysFile;
    traceFile = options.traceFile;
    objectsTraceFile = options.objectsTraceFile;
    shots = options.shots;
    std::vector<std::string*> named = {&keysFile, &traceFile, &objectsTraceFile};
    for (ReplayShot& shot : shots)
        named.push_back(&shot.fileName);
    for (std::string* name : named) {
        std::error_code gone;
        const std::string typed = *name;
        if (!fromWorkingDirectory(*name, gone))
            return refuse(ReplayBadInput,
                          quotedText(typed) +
                              ": cannot find it from the working directory: " + gone.message());
    }
    std::stable_sort(shots.begin(), shots.end(),
                     [](const ReplayShot& a, const ReplayShot& b) { return a.step < b.step; });
    return true;
}

// A key script is data like a room: a regular file within the same bound.
bool ReplayRun::readKeyScript() {
    if (options.keysFile.empty())
        return true;
    std::string text;
    DataFileStatus status;
    if (!readWholeDataFile(keysFile, MaxDefinitionFileBytes, text, &status))
        return refuse(ReplayBadInput, quotedText(options.keysFile) + ": cannot read the key script: " +
                                          describeDataFileProblem(status, MaxDefinitionFileBytes));
    std::string error;
    if (!parseKeyScript(text, options.keysFile, script, error, options.mostSteps))
        return refuse(ReplayBadInput, error);
    return true;
}

// A recording says where and at what size its run started; the command line wins.
bool ReplayRun::chooseStart() {
    start = StartRoom{options.room, options.side};
    width = options.width;
    height = options.height;
    if (script.start && !options.startGiven)
        start = StartRoom{script.start->room, script.start->side};
    if (script.start && !options.sizeGiven) {
        width = script.start->width;
        height = script.start->height;
    }
    steps = options.steps >= 0 ? options.steps : script.lastStep();
    for (const ReplayShot& shot : shots)
        if (shot.step > steps)
            return refuse(ReplayBadInput, "--shot: step " + std::to_string(shot.step) +
                                              " is after the last step, " + std::to_string(steps));
    return true;
}

// The game's own frame, drawn on a software device of the chosen size; sounds recorded.
bool ReplayRun::setUpGame() {
    game.emplace(options.root);
    if (!game->usable())
        return refuse(ReplayBadInput, "--root: cannot enter \"" + options.root + "\"");
    if (!game->useHeadlessDevice(width, height))
        return refuse(ReplayWriteFailed, game->error());
    if (!options.screenshotFile.empty())
        theDisplay.screenshotFile = options.screenshotFile;
    // The set-up forgets this when it ends.
    theDisplay.screenshotFailed = [this](const std::string& message) {
        diagnostics << "marrowgast-replay: " << message << "\n";
        screenshotFailed = true;
    };
    theDisplay.fullScreen = script.start && script.start->fullScreen;
    // A long run says how far it has come; the clock decides only when.
    progressClock.emplace(options.progressSeconds);
    initInput(input);
    hooks.emplace(input, [this] {
        ++eventsDelivered;
        reportProgress();
    });
    return true;
}

// The rooms read, with the room files and sounds going to the events column.
bool ReplayRun::enterRing() {
    game->useSound(events);
    world.onRoomFileOpened = [this](const std::string& fileName) {
        events.add("load=", fileName);
        ++roomFilesRead;
    };
    if (!game->loadWorld())
        return refuse(ReplayBadInput, options.root + ": " + game->error());
    if (!game->enterStartRoom(start))
        return refuse(ReplayBadInput, "--room: " + game->error() + " under " + options.root);
    return true;
}

bool ReplayRun::openTraces() {
    std::string why;
    if (!traceFile.empty() && !trace.open(traceFile, standardOutput, why))
        return refuse(ReplayBadInput, quotedText(options.traceFile) + ": cannot write the trace: " + why);
    if (!objectsTraceFile.empty() && !objectsTrace.open(objectsTraceFile, standardOutput, why)) {
        trace.discard();
        return refuse(ReplayBadInput,
                      quotedText(options.objectsTraceFile) + ": cannot write the object trace: " + why);
    }
    // Both open: only now is anything emptied.
    if (!trace.begin(why))
        return refuse(ReplayWriteFailed, quotedText(options.traceFile) + ": cannot write the trace: " + why);
    if (!objectsTrace.begin(why))
        return refuse(ReplayWriteFailed,
                      quotedText(options.objectsTraceFile) + ": cannot write the object trace: " + why);
    return true;
}

// Step 0 is the world as entered; each step after it is one of the game's. Steps that start
// behind the curtain move nothing and cost little: the summary says how many there were, so
// the rate is read for what it is.
void ReplayRun::playSteps() {
    if (trace.active())
        trace.write(std::string(TraceHeader));
    if (objectsTrace.active())
        objectsTrace.write(std::string(ObjectsTraceHeader));
    roomFilesRead = 0;
    started = std::chrono::steady_clock::now();
    writeRows(0);
    frameAfter(0);
    // The recorded reloads happen where the recording says; nothing else reads a room again.
    world.reloadBehindCurtain = [this] {
        return std::binary_search(script.reloads.begin(), script.reloads.end(), currentStep);
    };
    checkEnd(0);
    for (std::int64_t step = 1; step <= steps && !shotFailed; ++step)
        if (!playStep(step))
            break;
    world.reloadBehindCurtain = nullptr;
    if (script.end && stepsRun < script.end->step && steps >= script.end->step) {
        diagnostics << "marrowgast-replay: the run quit after step " << stepsRun
                    << ", before the recording's end at step " << script.end->step << "\n";
        endDiffers = true;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// One step with its rows, frame and end check; false when the game quit in it.
bool ReplayRun::playStep(std::int64_t step) {
    currentStep = step;
    reportProgress();
    changeFocus(step);
    queueKeys(step);
    if (world.roomChangePending || (world.player && world.player->state == Dying))
        ++curtainSteps;
    hooks->pollInput();
    const bool quit = hooks->updateWorld() != 0;
    if (quit)
        events.add("quit", "");
    stepsRun = step;
    if (options.reportMemory && memoryAfterFirstChange < 0 && events.text.find("load=") != std::string::npos)
        memoryAfterFirstChange = residentKiB();
    writeRows(step);
    frameAfter(step);
    checkEnd(step);
    return !quit;
}

// The window's focus as the frame loop changes it, before the step's input poll.
void ReplayRun::changeFocus(std::int64_t step) {
    for (; nextFocus < script.focusChanges.size() && script.focusChanges[nextFocus].step <= step;
         ++nextFocus) {
        const bool gained = script.focusChanges[nextFocus].gained;
        windowProcedure(window, gained ? WindowMessage::Activate : WindowMessage::Deactivate, *hooks);
    }
}

void ReplayRun::queueKeys(std::int64_t step) {
    const std::vector<ScriptedKey>& keys = script.events;
    stepEvents = 0;
    eventsDelivered = 0;
    for (; nextKey < keys.size() && keys[nextKey].step <= step; ++nextKey, ++stepEvents)
        queueKeyEvent(input, keys[nextKey].code, keys[nextKey].pressed);
}

void ReplayRun::writeRows(std::int64_t step) {
    if (trace.active()) {
        rows.clear();
        appendTraceRow(rows, step, events.text);
        trace.write(rows);
    }
    if (objectsTrace.active()) {
        rows.clear();
        appendObjectRows(rows, step);
        objectsTrace.write(rows);
    }
    events.text.clear();
}

// After step `step`: one frame when a shot or the game's screenshot asks for one.
void ReplayRun::frameAfter(std::int64_t step) {
    const bool shotHere = nextShot < shots.size() && shots[nextShot].step == step;
    const bool screenshotHere = screenshotAfter(step);
    if (!shotHere && !screenshotHere)
        return;
    if (screenshotHere)
        ++screenshotsTaken;
    if (!screenshotHere && script.recorded()) {
        // A shot of the tool's own keeps the game's request for the step the recording names.
        const bool asked = theDisplay.screenshotRequested;
        theDisplay.screenshotRequested = false;
        drawFrame(*hooks);
        theDisplay.screenshotRequested = asked;
    } else {
        drawFrame(*hooks);
    }
    writeShots(step);
}

// A recording says after which steps the game took its screenshots (the last step of a pass);
// a typed script takes it after the step the key arrived.
bool ReplayRun::screenshotAfter(std::int64_t step) {
    if (!script.recorded())
        return theDisplay.screenshotRequested;
    bool here = false;
    for (; nextRecordedShot < script.shots.size() && script.shots[nextRecordedShot] <= step;
         ++nextRecordedShot)
        here = here || script.shots[nextRecordedShot] == step;
    return here;
}

void ReplayRun::writeShots(std::int64_t step) {
    for (; nextShot < shots.size() && shots[nextShot].step == step; ++nextShot) {
        const bool read = theGraphics.device->readBackBuffer(frame);
        if (read && options.grid)
            drawUnitGrid(frame);
        std::string reason = "the picture could not be read back";
        if (!read || !writePngFile(shots[nextShot].fileName, frame, false, &reason)) {
            diagnostics << "marrowgast-replay: " << quotedText(shots[nextShot].fileName)
                        << ": cannot write the shot: " << reason << "\n";
            shotFailed = true;
        }
    }
}

// After the end line's step: the player where the game left it.
void ReplayRun::checkEnd(std::int64_t step) {
    if (!script.end || script.end->step != step)
        return;
    const ScriptEnd& end = *script.end;
    const int room = static_cast<int>(world.currentRoom) + 1;
    const float x = world.player ? world.player->x : 0.0f;
    const float y = world.player ? world.player->y : 0.0f;
    if (room == end.room && x == end.x && y == end.y)
        return;
    std::string what = "the run ends in room " + std::to_string(room) + " at ";
    appendFloat(what, x);
    what += " ";
    appendFloat(what, y);
    what += " after step " + std::to_string(step) + "; the recording ended in room " +
            std::to_string(end.room) + " at ";
    appendFloat(what, end.x);
    what += " ";
    appendFloat(what, end.y);
    diagnostics << "marrowgast-replay: " << what << "\n";
    endDiffers = true;
}

// A line when the progress clock says so, from the step's start or any key event delivered.
void ReplayRun::reportProgress() {
    if (!progressClock->due())
        return;
    std::ostringstream line;
    line.precision(1);
    line << std::fixed << "marrowgast-replay: step " << currentStep << " of " << steps;
    if (stepEvents > 1000)
        line << ", " << eventsDelivered << " of its " << stepEvents << " key events delivered";
    if (screenshotsTaken > 0)
        line << ", " << screenshotsTaken << (screenshotsTaken == 1 ? " screenshot" : " screenshots")
             << " taken";
    line << ", " << progressClock->seconds() << " s\n";
    diagnostics << line.str() << std::flush;
}

// The exit status, with a line for everything that went wrong.
int ReplayRun::finish() {
    if (options.reportMemory)
        diagnostics << "marrowgast-replay: resident memory after the first room change: "
                    << memoryAfterFirstChange << " KiB, at the end: " << residentKiB()
                    << " KiB, peak: " << peakResidentKiB() << " KiB\n";
    int result = endDiffers ? ReplayEndDiffers : ReplayDone;
    if (shotFailed || screenshotFailed)
        result = ReplayWriteFailed;
    for (; nextShot < shots.size(); ++nextShot) {
        diagnostics << "marrowgast-replay: --shot: step " << shots[nextShot].step
                    << " was never reached, the run ended after step " << stepsRun << "\n";
        result = ReplayWriteFailed;
    }
    result = closeOutputs(result);
    if (!trace.active() && !objectsTrace.active() && shots.empty())
        printSummary();
    return result;
}

int ReplayRun::closeOutputs(int result) {
    std::string why;
    if (!trace.finish(why)) {
        diagnostics << "marrowgast-replay: " << quotedText(options.traceFile)
                    << ": cannot write the trace: " << why << "\n";
        result = ReplayWriteFailed;
    }
    if (!objectsTrace.finish(why)) {
        diagnostics << "marrowgast-replay: " << quotedText(options.objectsTraceFile)
                    << ": cannot write the object trace: " << why << "\n";
        result = ReplayWriteFailed;
    }
    return result;
}

// With nothing written, the run says how fast it went.
void ReplayRun::printSummary() const {
    std::ostringstream summary;
    summary.precision(3);
    summary << std::fixed << "marrowgast-replay: " << stepsRun << " steps in " << seconds << " s, ";
    summary.precision(0);
    summary << (seconds > 0.0 ? static_cast<double>(stepsRun) / seconds : 0.0) << " steps per second\n";
    summary << "marrowgast-replay: " << curtainSteps << " of them behind the curtain, " << roomFilesRead
            << (roomFilesRead == 1 ? " room file read\n" : " room files read\n");
    diagnostics << summary.str();
}

} // namespace

int replayMain(const std::vector<std::string>& args, std::ostream& standardOutput, std::ostream& diagnostics,
               const DataLookup* lookup) {
    std::vector<CommandWord> words;
    if (const int status = readCommandLine(ReplayProgram, args, words, standardOutput, diagnostics);
        status >= 0)
        return status;
    ReplayOptions options;
    std::string error;
    if (!parseReplayOptions(args, options, error))
        return refuseCommandLine(ReplayProgram.name, error, diagnostics);
    if (!options.rootGiven && lookup != nullptr) {
        const DataLocation data = findDataDirectory(*lookup);
        if (data.directory.empty()) {
            diagnostics << "marrowgast-replay: " << data.error << "\n";
            return ReplayBadInput;
        }
        options.root = data.directory;
        if (!lookup->workingDirectory.empty())
            options.screenshotFile =
                (std::filesystem::path(lookup->workingDirectory) / ScreenshotFileName).string();
    }
    return runReplay(options, standardOutput, diagnostics);
}
