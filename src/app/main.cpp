// Marrowgast: start-up, the frame loop, and the releases at exit.
#include "actors/Player.h"
#include "app/CommandLine.h"
#include "app/DataLookup.h"
#include "app/DisplayMode.h"
#include "app/FrameLoop.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "app/RoomEditorStart.h"
#include "app/RoomWatch.h"
#include "app/RunRecorder.h"
#include "app/StartRoom.h"
#include "definitions/Quoted.h"
#include "definitions/StopRequests.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "input/Keyboard.h"
#include "platform/SdlDrawingDevice.h"
#include "platform/SdlGamepad.h"
#include "platform/SdlKeyboard.h"
#include "platform/SdlMixer.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlWindowControl.h"
#include "platform/system/Console.h"
#include "platform/system/MainLoop.h"
#include "sound/Sound.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

int fail(const std::string& what) {
    std::fprintf(stderr, "marrowgast: %s\n", what.c_str());
    return 1;
}

// A start-up that fails where nobody reads the standard error (a double-click on Windows)
// is shown in a box as well.
int failToStart(const std::string& what) {
    fail(what);
    if (!standardErrorIsRead())
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Marrowgast", what.c_str(), nullptr);
    return 1;
}

#if MARROWGAST_ROOM_EDITOR
constexpr bool HasRoomEditor = true;
#else
constexpr bool HasRoomEditor = false;
#endif

constexpr std::string_view GameNotes =
    "Without --data the data is the first res/ folder found in: the working directory,\n"
    "the installed data beside the program (../share/games/marrowgast), the source tree\n"
    "of the build.\n"
    "\n"
    "Keys: Left/Right run, Space jumps, Up/Down ride lifts (Up searches),\n"
    "F9/F10/F11 window sizes, F12 full screen, Print Screen saves screenshot.png in the\n"
    "folder the game was started from, Escape quits.\n"
    "A gamepad: d-pad or left stick run and ride, the south button (A) jumps, Back with\n"
    "Start held quits, Back with the north button (Y) held toggles full screen.\n";

constexpr std::string_view EditorNotes =
    "\n"
    "Room editor: 1-5 choose platform, lift, searchable, robot, entry point (0 none) and a\n"
    "click on empty room places one; a click selects, a drag moves (Shift: off the grid where\n"
    "the room takes decimals), corner handles resize, F flips an entry point's side; Delete\n"
    "removes, Ctrl+Z/Ctrl+Y undo and redo, Ctrl+S saves, F5 (Shift+F5) plays the room from its\n"
    "left (right) entry point and Escape comes back, F6 (Shift+F6) plays the solver's crossing\n"
    "east (west), Ctrl+Q leaves (twice when unsaved).\n";

constexpr std::string_view Usage =
    "Usage: marrowgast [--data DIR] [--fullscreen] [--room N] [--side left|right]\n"
    "                  [--record FILE] [--watch] [--help] [--version]\n";
constexpr std::string_view EditorUsage = "       marrowgast [--data DIR] --edit N|FILE\n";
constexpr std::string_view About =
    "A small 2D platform game: run, jump, ride lifts and dodge robots through a ring\n"
    "of four rooms.\n";

// The room editor's option, usage and keys are in the help of builds that have the editor only.
CommandLineProgram makeProgram() {
    static const std::string about =
        std::string(Usage) + std::string(HasRoomEditor ? EditorUsage : "") + std::string(About);
    static const std::string after = std::string(GameNotes) + std::string(HasRoomEditor ? EditorNotes : "");
    CommandLineProgram program{
        "marrowgast",
        about,
        {
            {"--data", "DIR", "read the game's data from DIR/res/ (DIR is the folder that holds res/)"},
            {"--fullscreen", "", "start full screen, as F12 would leave it"},
            {"--room", "N", "start in room N of the ring (1 to 4) instead of room 1"},
            {"--side", "SIDE", "come into that room from the left (the default) or the right"},
            {"--record", "FILE", "write every key of the run to FILE, for marrowgast-replay --keys FILE"},
            {"--watch", "",
             "for room authors: when the room's file, or a set or image it uses,\n"
             "changes on disk, read the room again behind the next death's curtain"},
        },
        after,
    };
    if (HasRoomEditor) {
        program.options.push_back({"--edit", "N|FILE",
                                   "for room authors: open room N of the ring (1 to 4), or the room file\n"
                                   "FILE (a new room when there is none), in the room editor"});
    }
    return program;
}

const CommandLineProgram Program = makeProgram();

struct StartOptions {
    std::string dataDirectory;
    // The room --edit names: a ring room's number, or a file made whole from the working directory.
    int editRoom = 0;
    std::string editFile;
    bool edit = false;
    bool fullScreen = false;
    StartRoom start;
    std::string recordFile;
    bool watch = false;
};

// Started without options the game is exactly as it always was. Returns the exit status
// when the game should not start, -1 when it should.
int readCommandLine(int argc, char** argv, StartOptions& options) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!HasRoomEditor) {
        for (const std::string& arg : args) {
            if (arg == "--edit" || arg.starts_with("--edit="))
                return refuseCommandLine(Program.name, "this build has no room editor", std::cerr);
        }
    }
    std::vector<CommandWord> words;
    if (const int status = readCommandLine(Program, args, words, std::cout, std::cerr); status >= 0)
        return status;
    for (const CommandWord& word : words) {
        if (word.option == "--watch") {
            options.watch = true;
        } else if (word.option == "--fullscreen") {
            options.fullScreen = true;
        } else if (word.option == "--data") {
            options.dataDirectory = word.value;
        } else if (word.option == "--room") {
            if (!readStartRoomNumber(word.value, options.start.room))
                return refuseCommandLine(Program.name, "--room needs a room of the ring, 1 to 4", std::cerr);
        } else if (word.option == "--side") {
            if (!readStartSide(word.value, options.start.side))
                return refuseCommandLine(Program.name, "--side needs left or right", std::cerr);
        } else if (word.option == "--record") {
            options.recordFile = word.value;
        } else if (word.option == "--edit") {
            options.edit = true;
            options.editRoom = 0;
            options.editFile = word.value;
            if (!readStartRoomNumber(word.value, options.editRoom)) {
                // Whole now, while the working directory is the one the author typed it in.
                std::error_code gone;
                if (options.editFile == "-")
                    options.editFile = "./-";
                if (!fromWorkingDirectory(options.editFile, gone))
                    return refuseCommandLine(
                        Program.name, "--edit: the working directory is gone: " + gone.message(), std::cerr);
            }
        }
    }
    // The editor plays its room itself: the options of a game started to play do not apply.
    if (options.edit && (options.fullScreen || options.watch || !options.recordFile.empty() ||
                         options.start.room != 1 || options.start.side != 0))
        return refuseCommandLine(Program.name, "--edit takes only --data", std::cerr);
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    // Windows: --help, --version and errors reach the console the game was started from.
    useParentConsole();
    neverTranslateLineEnds();
    StartOptions options;
    if (const int status = readCommandLine(argc, argv, options); status >= 0)
        return status;
    installStopSignals();
    // Where the data is: the set-up below reads every res/ name from that folder.
    const DataLookup lookup =
        lookupForThisProgram(options.dataDirectory, MARROWGAST_DATA_FROM_EXECUTABLE, MARROWGAST_SOURCE_DATA);
    const DataLocation data = findDataDirectory(lookup);
    if (data.directory.empty())
        return failToStart(data.error);
    std::string error;

    if (options.edit) {
#if MARROWGAST_ROOM_EDITOR
        RoomEditorStart start;
        start.dataDirectory = data.directory;
        start.roomFile =
            options.editRoom > 0
                ? (std::filesystem::path(data.directory) / RingRoomFiles[options.editRoom - 1]).string()
                : options.editFile;
        start.startedIn = lookup.workingDirectory;
        return runRoomEditor(start);
#endif
    }

    // The recording, named from where the game was started, is refused before any window; a
    // file that fills up later is reported when it does.
    RunRecorder recorder;
    if (!options.recordFile.empty() && !recorder.open(options.recordFile, error))
        return failToStart(error);
    recorder.reportFailure = [](const std::string& message) { fail(message); };

    // SDL and the window outlive the set-up, which releases in reverse order of start-up: the
    // world, sound, then the drawing device.
    SdlSession sdl;
    if (!sdl.start(error))
        return failToStart(error);
    // Pads plugged in before or during the game; without SDL's game controllers, none.
    SdlGamepads pads;
    pads.start();
    SdlWindow window;
    if (!window.create(theDisplay.displayWidth, theDisplay.displayHeight, error))
        return failToStart(error);

    GameSetup game(data.directory);
    if (!game.usable())
        return failToStart("cannot enter the data folder " + data.directory + ": " +
                           game.dataError().message());
    // The screenshot stays in the folder the player started the game from; none when that
    // folder cannot be named (it was removed under the game).
    const std::string& startedIn = lookup.workingDirectory;
    theDisplay.screenshotFile = startedIn.empty() ? "" : startedIn + "/" + ScreenshotFileName;
    // After start-up the game speaks only of what the player asked for and lost.
    theDisplay.screenshotFailed = [](const std::string& message) { fail(message); };
    error = initGraphics(window.handle(), theDisplay.displayWidth, theDisplay.displayHeight);
    if (!error.empty())
        return failToStart(error);
    game.useWindow(std::make_unique<SdlWindowControl>(window.handle()));
    if (options.fullScreen) {
        theDisplay.fullScreen = true;
        setDisplayMode(theDisplay.displayWidth, theDisplay.displayHeight, theDisplay.fullScreen);
    }

    InputState input;
    initInput(input);

    // No sound card is no reason not to play: the game then runs silently.
    game.useSound(initSound(std::cerr));

    // The watch must see the first room read.
    RoomWatch watch;
    if (options.watch)
        watch.start();
    if (!game.loadWorld() || !game.enterStartRoom(options.start))
        return failToStart(quotedText(data.directory) + ": " + game.error());

    SdlTicks ticks;
    SdlMessageSource messages;
    messages.onKey = [&input](const SDL_Event& event) { queueSdlKeyEvent(input, event); };
    messages.onPad = [&input, &pads](const SDL_Event& event) { pads.handleEvent(input, event); };
    messages.onRenderReset = [](bool allTexturesLost) { restoreDevice(allTexturesLost); };
    GameHooks hooks(input);
    if (recorder.isOpen()) {
        hooks.recorder = &recorder;
        recorder.start(options.start, theDisplay.displayWidth, theDisplay.displayHeight,
                       theDisplay.fullScreen);
    }
    if (options.watch) {
        world.reloadBehindCurtain = [&watch, &recorder, &hooks] {
            if (!watch.changed())
                return false;
            if (recorder.isOpen())
                recorder.reload(hooks.stepsRun() + 1);
            // The room author is told when the edit cannot be read; the game itself stays silent.
            if (const std::string why = watch.unreadableRoom(); !why.empty())
                std::fprintf(stderr, "marrowgast: --watch: %s\n", why.c_str());
            return true;
        };
    }
    Engine engine;
    engine.clock.ticks = &ticks;
    // A browser drives the passes from its animation frames; what follows the loop runs there too.
    const auto pass = [&engine, &messages, &hooks] { return runFramePass(engine, messages, hooks); };
    const auto finish = [&recorder, &hooks] {
        if (recorder.isOpen() && world.player) {
            recorder.end(hooks.stepsRun(), static_cast<int>(world.currentRoom) + 1, world.player->x,
                         world.player->y);
            // Said when it happened.
            if (!recorder.ok())
                return 1;
        }
        return 0;
    };
    return runMainLoop(pass, finish);
}
