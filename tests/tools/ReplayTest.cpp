#include "tools/common/Replay.h"
#include "tools/common/ReplayOptions.h"

#include "actors/Player.h"
#include "app/DisplayMode.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "app/RunRecorder.h"
#include "definitions/DataFile.h"
#include "definitions/Quoted.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "input/KeyCodes.h"
#include "input/Keyboard.h"
#include "platform/ImageFile.h"
#include "platform/SdlDrawingDevice.h"
#include "sound/RecordingSoundSink.h"

#include "support/TempDir.h"

#include "support/ReadText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#ifdef __unix__
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/mount.h>
#endif

namespace {

namespace fs = std::filesystem;

const fs::path ReplayData = fs::path(MARROWGAST_TEST_DATA) / "replay";

using Row = std::vector<std::string>;

std::vector<Row> rowsOf(const std::string& text) {
    std::vector<Row> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        Row fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

// Columns of the player trace.
enum Column { Step, RoomColumn, State, X, Y, H, PrevX, PrevY, Facing, Keys, Curtain, Events };

// --- options -------------------------------------------------------------------------

TEST(ReplayOptions, ReadsEveryOptionAndDefaultsToTheGamesStart) {
    ReplayOptions options;
    std::string error;
    // Steps, root, size, room, side; then the files asked for.
    const auto read = [&] {
        return std::tuple(options.steps, options.root, options.width, options.height, options.room,
                          options.side,
                          options.keysFile + "|" + options.traceFile + "|" + options.objectsTraceFile);
    };
    ASSERT_TRUE(parseReplayOptions({"--steps", "0"}, options, error)) << error;
    EXPECT_EQ(read(), std::tuple(0, ".", 640, 480, 1, 0, "||"));
    EXPECT_TRUE(options.shots.empty());

    ASSERT_TRUE(parseReplayOptions({"--root=r", "--keys", "k.txt", "--trace", "-", "--trace-objects", "o.tsv",
                                    "--shot=7:a.png", "--shot", "0:dir/b:c.png", "--size", "800x600",
                                    "--room", "4", "--side", "right", "--steps", "120"},
                                   options, error))
        << error;
    EXPECT_EQ(read(), std::tuple(120, "r", 800, 600, 4, 1, "k.txt|-|o.tsv"));
    ASSERT_EQ(options.shots.size(), 2u);
    EXPECT_EQ(std::tuple(options.shots[0].step, options.shots[0].fileName, options.shots[1].step,
                         options.shots[1].fileName),
              std::tuple(7, "a.png", 0, "dir/b:c.png"));

    // Ten million steps, about 46 hours of play, unless --max-steps raises the bound.
    EXPECT_EQ(options.mostSteps, 10000000);
    ASSERT_TRUE(parseReplayOptions({"--steps", "10000000"}, options, error)) << error;
    ASSERT_TRUE(parseReplayOptions({"--steps", "4611686018427387903", "--max-steps", "4611686018427387903"},
                                   options, error))
        << error;
    EXPECT_EQ(options.mostSteps, 4611686018427387903);
}

TEST(ReplayOptions, EveryBadOptionIsNamedInOneLine) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const Case cases[] = {
        {{"--steps", "5", "--stepz", "3"}, "--stepz"},
        {{"--steps", "5", "-v"}, "-v"},
        {{"--steps", "5", "--grid=yes"}, "--grid"},
        {{"--steps=", "5"}, "--steps"},
        {{"--steps"}, "--steps"},
        {{"--steps", "5", "--trace"}, "--trace"},
        {{"--keys", "--steps", "5"}, "--keys"},
        {{"--steps", "5", "--root", ""}, "--root"},
        {{"--steps", "-1"}, "--steps"},
        {{"--steps", "1e3"}, "--steps"},
        {{"--steps", "99999999999999999999999"}, "--steps"},
        {{"--root", "r"}, "--steps"},
        {{"--steps", "5", "--size", "640x481"}, "--size"},
        {{"--steps", "5", "--size", "640"}, "--size"},
        {{"--steps", "5", "--size", "1024X768"}, "--size"},
        {{"--steps", "5", "--shot", "5"}, "--shot"},
        {{"--steps", "5", "--shot", "x:a.png"}, "--shot"},
        {{"--steps", "5", "--shot", "3:"}, "--shot"},
        {{"--steps", "5", "--shot", "-1:a.png"}, "--shot"},
        {{"--steps", "5", "--shot", ":a.png"}, "--shot"},
        {{"--steps", "5", "--shot", "6:a.png"}, "--shot"},
        {{"--steps", "5", "--room", "0"}, "--room"},
        {{"--steps", "5", "--room", "5"}, "--room"},
        {{"--steps", "5", "--room", "2x"}, "--room"},
        {{"--steps", "5", "--side", "up"}, "--side"},
        {{"--steps", "5", "--side", "Left"}, "--side"},
        {{"--steps", "5", "--trace", "-", "--trace-objects", "-"}, "--trace-objects"},
        {{"--steps", "10000001"},
         "--steps: 10000001 is past 10000000, the most steps a run takes (about 46 hours "
         "of play; --max-steps raises it)"},
        {{"--steps", "4611686018427387903"}, "--steps"},
        {{"--max-steps", "3600", "--steps", "3601"},
         "--steps: 3601 is past 3600, the most steps a run takes (about "
         "1 minute of play; --max-steps raises it)"},
        {{"--steps", "5", "--max-steps", "0"}, "--max-steps"},
        {{"--steps", "5", "--max-steps", "1e9"}, "--max-steps"},
    };
    for (const Case& c : cases) {
        ReplayOptions options;
        std::string error;
        EXPECT_FALSE(parseReplayOptions(c.args, options, error)) << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

// --- runs ----------------------------------------------------------------------------

// A scratch directory holding a copy of the ring fixture under "ring". Every run is the tool
// started in it: relative file names are the directory's. The runs nest in a set-up of the
// test's own.
class ReplayRun : public ::testing::Test {
  protected:
    ReplayRun() : outer(copied(dir)), soundBefore(soundGlobals.soundPerformance) {}

    static fs::path copied(const TempDir& dir) {
        fs::copy(ReplayData / "ring", dir.path("ring"), fs::copy_options::recursive);
        return dir.path("");
    }

    struct Result {
        int code = 0;
        std::string out;
        std::string err;
    };

    // A file name as the tool takes it when started in the scratch directory.
    std::string here(const std::string& name) const {
        return name == "-" || fs::path(name).is_absolute() ? name : dir.path(name);
    }
    std::vector<std::string> startedHere(std::vector<std::string> args) const {
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            std::string& value = args[i + 1];
            if (args[i] == "--shot" && value.find(':') != std::string::npos)
                value = value.substr(0, value.find(':') + 1) + here(value.substr(value.find(':') + 1));
            else if (args[i] == "--root" || args[i] == "--keys" || args[i] == "--trace" ||
                     args[i] == "--trace-objects")
                value = here(value);
        }
        return args;
    }

    Result run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        Result result;
        result.code = replayMain(startedHere(args), out, err);
        result.out = out.str();
        result.err = err.str();
        return result;
    }

    // The player trace of a run from the ring fixture, on standard output.
    std::vector<Row> trace(const std::string& keys, int steps, std::vector<std::string> more = {}) {
        dir.write("keys.txt", keys);
        std::vector<std::string> args = {
            "--root", "ring", "--keys", "keys.txt", "--steps", std::to_string(steps), "--trace", "-"};
        args.insert(args.end(), more.begin(), more.end());
        const Result result = run(args);
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(result.err, "");
        std::vector<Row> rows = rowsOf(result.out);
        EXPECT_FALSE(rows.empty());
        if (!rows.empty())
            rows.erase(rows.begin());
        return rows;
    }

    TempDir dir;
    GameSetup outer;
    SoundSink* soundBefore = nullptr;
};

TEST_F(ReplayRun, StepZeroShowsTheWorldAsLoadedWithItsHeaders) {
    const Result result =
        run({"--root", "ring", "--steps", "0", "--trace", "t.tsv", "--trace-objects", "o.tsv"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readText(dir.path("t.tsv")),
              "step\troom\tstate\tx\ty\th\tprevX\tprevY\tfacing\tkeys\tcurtain\tevents\n"
              "0\t1\t0\t10.5\t24\t3\t10.5\t24\t1\t0\t0\t"
              "load=res/rooms/room1.txt,sound=res/sound/laser.wav,sound=res/sound/laser.wav\n");
    // The robot's "direction 5" is held as 5; it starts with its laser, 3 seconds of it.
    EXPECT_EQ(readText(dir.path("o.tsv")), "step\tindex\tkind\tx\ty\tdetail\n"
                                           "0\t0\t1\t0\t30\t-\n"
                                           "0\t1\t3\t10\t25\t2/0\n"
                                           "0\t2\t2\t30\t29\t100\n"
                                           "0\t3\t4\t2\t3\t5/5/3\n"
                                           "0\t4\t0\t10.5\t24\t-\n"
                                           "0\t5\t0\t36\t29\t-\n");
    // The run leaves the program as it found it.
    EXPECT_EQ(dataFolder(), dir.path(""));
    EXPECT_FALSE(world.room);
    EXPECT_FALSE(theGraphics.device);
    EXPECT_EQ(soundGlobals.soundPerformance, soundBefore);
}

TEST_F(ReplayRun, TheQuitKeyEndsTheRunAtItsStep) {
    const std::vector<Row> rows = trace("3 escape down\n4 escape up\n", 100);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3][Events], "-");
    EXPECT_EQ(rows[4][Events], "quit");
}

TEST_F(ReplayRun, WithoutTraceOrShotsItSaysHowFastItRan) {
    const Result result = run({"--root", "ring", "--steps", "600"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("marrowgast-replay: 600 steps in ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(" steps per second\nmarrowgast-replay: "), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
}

// A key script's step past the bound is refused with the bound named, before anything runs;
// --max-steps raises it.
TEST_F(ReplayRun, AKeyScriptStepPastTheBoundIsRefusedUnlessRaised) {
    dir.write("keys.txt", "1 right down\n2147483647 left down\n");
    Result result = run({"--root", "ring", "--keys", "keys.txt"});
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.err, "marrowgast-replay: " + here("keys.txt") +
                              ":2: step 2147483647 is past 10000000, the most steps a replay runs "
                              "(--max-steps raises it)\n");
    dir.write("keys.txt", "10000001 left down\n");
    EXPECT_EQ(run({"--root", "ring", "--keys", "keys.txt", "--steps", "1"}).code, 2);
    result = run({"--root", "ring", "--keys", "keys.txt", "--steps", "1", "--max-steps", "10000001"});
    EXPECT_EQ(result.code, 0) << result.err;
}

// A run that takes long says how far it has come, inside a step of many key events too, and
// runs exactly as it would in silence.
TEST_F(ReplayRun, ALongRunSaysHowFarItHasComeAndRunsTheSame) {
    std::string keys;
    for (int i = 0; i < 2000; ++i)
        keys += "1 f10 down\n1 f10 up\n";
    keys += "2 sysrq down\n2 sysrq up\n3 right down\n";
    dir.write("keys.txt", keys);
    ReplayOptions options;
    std::string error;
    ASSERT_TRUE(parseReplayOptions(
        startedHere({"--root", "ring", "--keys", "keys.txt", "--steps", "4", "--trace", "-"}), options,
        error));
    std::ostringstream quiet;
    std::ostringstream quietErr;
    ASSERT_EQ(runReplay(options, quiet, quietErr), 0) << quietErr.str();
    EXPECT_EQ(quietErr.str(), "");

    options.progressSeconds = 0.0;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runReplay(options, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), quiet.str());
    const std::string lines = err.str();
    EXPECT_TRUE(
        std::regex_search(lines, std::regex("^marrowgast-replay: step 1 of 4, [0-9.]+ s\n"
                                            "marrowgast-replay: step 1 of 4, 1 of its 4000 key events "
                                            "delivered, [0-9.]+ s\n")))
        << lines.substr(0, 200);
    EXPECT_NE(lines.find("\nmarrowgast-replay: step 1 of 4, 4000 of its 4000 key events delivered, "),
              std::string::npos);
    EXPECT_NE(lines.find("\nmarrowgast-replay: step 4 of 4, 1 screenshot taken, "), std::string::npos)
        << lines.substr(lines.size() - std::min<std::size_t>(lines.size(), 300));
}

// Soak runs read the first two figures and the memory benchmark the peak.
TEST_F(ReplayRun, MemoryIsReportedAfterTheFirstRoomChangeAtTheEndAndAtItsPeak) {
    dir.write("keys.txt", "1 right down\n");
    const Result result = run({"--root", "ring", "--keys", "keys.txt", "--steps", "900", "--memory"});
    ASSERT_EQ(result.code, 0) << result.err;
    long after = 0, end = 0, peak = 0;
    ASSERT_EQ(std::sscanf(result.err.c_str(),
                          "marrowgast-replay: resident memory after the first room change: %ld KiB, at the "
                          "end: %ld KiB, peak: %ld KiB\n",
                          &after, &end, &peak),
              3)
        << result.err;
    EXPECT_GT(after, 0);
    EXPECT_GT(end, 0);
    EXPECT_GE(peak, std::max(after, end));
    // The peak is resident memory, not the address space reserved (VmPeak), which runs far larger.
    EXPECT_LT(peak, end * 4);
}

// --- shots ---------------------------------------------------------------------------

class ReplayShots : public ReplayRun {
  protected:
    static RgbaImage image(const std::string& fileName) {
        RgbaImage picture;
        EXPECT_TRUE(readImageFile(fileName, picture)) << fileName;
        return picture;
    }
    static bool sameColours(const RgbaImage& a, const RgbaImage& b) {
        if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
            return false;
        for (std::size_t i = 0; i < a.pixels.size(); i += 4)
            if (a.pixels[i] != b.pixels[i] || a.pixels[i + 1] != b.pixels[i + 1] ||
                a.pixels[i + 2] != b.pixels[i + 2])
                return false;
        return true;
    }
};

TEST_F(ReplayShots, AShotIsTheFrameTheGameDrawsAfterThatStep) {
    dir.write("k.txt", "1 up down\n20 up up\n25 right down\n");
    const Result result =
        run({"--root", "ring", "--keys", "k.txt", "--steps", "40", "--shot", "40:shot.png"});
    ASSERT_EQ(result.code, 0) << result.err;
    const RgbaImage shot = image(dir.path("shot.png"));

    // The same steps and the same frame, through the game's own hooks in this process.
    RecordingSoundSink sounds;
    std::optional<GameSetup> inRing;
    inRing.emplace(dir.path("ring"), GameSetup::Headless{.width = 640, .height = 480, .sound = &sounds});
    ASSERT_TRUE(inRing->ok()) << inRing->error();
    InputState input;
    initInput(input);
    GameHooks hooks(input);
    for (int step = 1; step <= 40; ++step) {
        if (step == 1)
            queueKeyEvent(input, KeyCodeUp, 1);
        if (step == 20)
            queueKeyEvent(input, KeyCodeUp, 0);
        if (step == 25)
            queueKeyEvent(input, KeyCodeRight, 1);
        hooks.pollInput();
        hooks.updateWorld();
    }
    hooks.beginFrame();
    hooks.renderWorld();
    hooks.endFrame();
    RgbaImage frame;
    ASSERT_TRUE(theGraphics.device->readBackBuffer(frame));
    inRing.reset();

    EXPECT_EQ(shot.width, 640);
    EXPECT_EQ(shot.height, 480);
    EXPECT_TRUE(sameColours(shot, frame));
    // Not an empty picture: the dark blue background and the white boxes of missing frames.
    EXPECT_EQ(shot.pixels[0], 0);
    EXPECT_EQ(shot.pixels[2], 63);
}

// --grid lays unit lines over the shot, every fifth stronger, and leaves the rest as drawn.
TEST_F(ReplayShots, AGridMarksEveryUnitOfTheRoom) {
    ASSERT_EQ(run({"--root", "ring", "--steps", "1", "--shot", "1:plain.png"}).code, 0);
    ASSERT_EQ(run({"--root", "ring", "--steps", "1", "--shot", "1:grid.png", "--grid"}).code, 0);
    const RgbaImage plain = image(dir.path("plain.png"));
    const RgbaImage grid = image(dir.path("grid.png"));
    ASSERT_EQ(grid.pixels.size(), plain.pixels.size());
    // Background pixels of row 12 (y = 11 to 12): on the line of x = 5, on x = 6, and between.
    auto at = [](const RgbaImage& i, int x, int y) {
        return &i.pixels[(static_cast<std::size_t>(y) * i.width + x) * 4];
    };
    const int y = 11 * 16 + 8;
    EXPECT_EQ(at(plain, 80, y)[0], 0);
    EXPECT_GT(at(grid, 80, y)[0], at(grid, 96, y)[0]);
    EXPECT_GT(at(grid, 96, y)[0], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(at(grid, 88, y), at(grid, 88, y) + 3),
              std::vector<std::uint8_t>(at(plain, 88, y), at(plain, 88, y) + 3));
}

// The size option is seen in the print-screen test below.
TEST_F(ReplayShots, SizesFollowTheGamesSizeKeys) {
    dir.write("k.txt", "1 f11 down\n2 f11 up\n3 f10 up\n");
    const Result keys = run({"--root", "ring", "--keys", "k.txt", "--steps", "3", "--shot", "1:a.png",
                             "--shot", "2:b.png", "--shot", "3:c.png"});
    ASSERT_EQ(keys.code, 0) << keys.err;
    EXPECT_EQ(image(dir.path("a.png")).width, 640);
    EXPECT_EQ(image(dir.path("b.png")).width, 1024);
    EXPECT_EQ(image(dir.path("b.png")).height, 768);
    EXPECT_EQ(image(dir.path("c.png")).height, 600);
}

TEST_F(ReplayShots, PrintScreenInTheScriptWritesTheScreenshotUnderTheRoot) {
    dir.write("k.txt", "3 sysrq down\n4 sysrq up\n");
    const Result result = run(
        {"--root", "ring", "--keys", "k.txt", "--steps", "10", "--size", "800x600", "--shot", "4:four.png"});
    ASSERT_EQ(result.code, 0) << result.err;
    ASSERT_TRUE(fs::exists(dir.path("ring/screenshot.png")));
    EXPECT_FALSE(fs::exists(dir.path("screenshot.png")));
    const RgbaImage screenshot = image(dir.path("ring/screenshot.png"));
    EXPECT_EQ(screenshot.width, 800);
    EXPECT_TRUE(sameColours(screenshot, image(dir.path("four.png"))));

    // Without the key, no screenshot.
    fs::remove(dir.path("ring/screenshot.png"));
    ASSERT_EQ(run({"--root", "ring", "--steps", "10", "--shot", "4:four.png"}).code, 0);
    EXPECT_FALSE(fs::exists(dir.path("ring/screenshot.png")));
}

// --- recordings ----------------------------------------------------------------------

// The game's hooks recording passes of a frame loop: a Print Screen arrives at the first step
// of a three-step pass and is taken after its last; the window loses the focus with Right held.
TEST_F(ReplayShots, ARecordedRunReplaysToItsEndAndItsScreenshot) {
    std::string recording;
    {
        GameSetup inRing(dir.path("ring"), GameSetup::Headless{.width = 640, .height = 480});
        ASSERT_TRUE(inRing.ok()) << inRing.error();
        theDisplay.screenshotFile = dir.path("game.png");
        RunRecorder recorder;
        std::string error;
        ASSERT_TRUE(recorder.open(dir.path("run.keys"), error)) << error;
        InputState input;
        initInput(input);
        GameHooks hooks(input);
        hooks.recorder = &recorder;
        recorder.start({1, 0}, 640, 480, false);
        struct Pass {
            int steps;
            std::vector<KeyEvent> keys;
            int focus = 0; // -1 lost, 1 gained
        };
        const std::vector<Pass> passes = {
            {2, {{KeyCodeRight, 1}}},
            {1, {}, -1},
            {1, {}, 1},
            {3, {{KeyCodePrintScreen, 1}, {KeyCodePrintScreen, 0}, {KeyCodeSpace, 1}}},
            {0, {{KeyCodeSpace, 0}}},
            {2, {{KeyCodeRight, 1}}},
        };
        for (const Pass& pass : passes) {
            if (pass.focus != 0)
                hooks.setKeyboardActive(pass.focus > 0);
            for (const KeyEvent& key : pass.keys)
                queueKeyEvent(input, key.code, key.pressed);
            for (int step = 0; step < pass.steps && input.acquired; ++step) {
                hooks.pollInput();
                hooks.updateWorld();
            }
            hooks.beginFrame();
            hooks.renderWorld();
            hooks.endFrame();
        }
        recorder.end(hooks.stepsRun(), 1, world.player->x, world.player->y);
        EXPECT_TRUE(recorder.ok());
    }
    recording = readText(dir.path("run.keys"));
    const std::string endLine = recording.substr(recording.rfind("end "));
    EXPECT_EQ(recording, "start 1 left 640x480 window\n1 right down\nfocus lost 3\nfocus gained 3\n"
                         "4 sysrq down\n4 sysrq up\n4 space down\nshot 6\n7 space up\n7 right down\n" +
                             endLine);
    EXPECT_EQ(endLine.rfind("end 8 1 ", 0), 0u) << endLine;

    // A shot of the tool's own at the Print Screen's step leaves the game's screenshot where it was.
    const Result replayed = run({"--root", "ring", "--keys", "run.keys", "--shot", "4:four.png"});
    ASSERT_EQ(replayed.code, 0) << replayed.err;
    EXPECT_TRUE(sameColours(image(dir.path("game.png")), image(dir.path("ring/screenshot.png"))));

    // Another end is a failure that says where each run ended.
    dir.write("moved.keys", recording.substr(0, recording.size() - endLine.size()) + "end 8 1 11 24\n");
    const Result moved = run({"--root", "ring", "--keys", "moved.keys"});
    EXPECT_EQ(moved.code, 3);
    EXPECT_NE(moved.err.find("the run ends in room 1 at "), std::string::npos) << moved.err;
    EXPECT_NE(moved.err.find("the recording ended in room 1 at 11 24"), std::string::npos) << moved.err;
}

// The disk fills while the game records: the terminal hears it at once and once, and the file
// keeps whole steps only, a start of the run that replays. A 4 KiB file system of its own.
TEST_F(ReplayRun, ARecordingOnAFullDiskKeepsWholeStepsAndReplays) {
#ifndef __linux__
    GTEST_SKIP() << "a small file system of its own is mounted the Linux way";
#else
    const std::string disk = dir.path("disk");
    fs::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=4k") != 0)
        GTEST_SKIP() << "cannot mount a 4 KiB tmpfs (needs root): " << std::strerror(errno);
    struct Unmount {
        std::string at;
        ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    const std::string file = disk + "/run.keys";
    std::string roomy = "start 1 left 640x480 window\n";
    std::vector<std::string> said;
    int saidAt = 0;
    {
        GameSetup inRing(dir.path("ring"), GameSetup::Headless{.width = 640, .height = 480});
        ASSERT_TRUE(inRing.ok()) << inRing.error();
        RunRecorder recorder;
        std::string error;
        ASSERT_TRUE(recorder.open(file, error)) << error;
        recorder.reportFailure = [&said](const std::string& message) { said.push_back(message); };
        InputState input;
        initInput(input);
        GameHooks hooks(input);
        hooks.recorder = &recorder;
        recorder.start({1, 0}, 640, 480, false);
        // Two lines a step, so a step cut in half would still end on a line.
        for (int step = 1; step <= 200; ++step) {
            const char* action = step % 2 != 0 ? " down\n" : " up\n";
            queueKeyEvent(input, KeyCodeLeft, step % 2);
            queueKeyEvent(input, KeyCodeRight, step % 2);
            roomy += std::to_string(step) + " left" + action + std::to_string(step) + " right" + action;
            hooks.pollInput();
            hooks.updateWorld();
            if (saidAt == 0 && !said.empty())
                saidAt = step;
        }
        recorder.end(hooks.stepsRun(), 1, world.player->x, world.player->y);
        EXPECT_FALSE(recorder.ok());
    }
    ASSERT_EQ(said, std::vector<std::string>{"cannot write the recording \"" + file +
                                             "\": No space left on device; recording stopped, the file "
                                             "keeps the run up to the step before"});
    const std::string kept = readText(file);
    const std::size_t failedStep = roomy.find("\n" + std::to_string(saidAt) + " left") + 1;
    const std::size_t stepAfter = roomy.find("\n" + std::to_string(saidAt + 1) + " left") + 1;
    // Every step before the one that did not fit, and not a byte of that one.
    EXPECT_EQ(kept, roomy.substr(0, failedStep));
    EXPECT_LE(failedStep, 4096u);
    EXPECT_GT(stepAfter, 4096u);
    const Result replayed = run({"--root", "ring", "--keys", file, "--trace", "-"});
    EXPECT_EQ(replayed.code, 0) << replayed.err;
    EXPECT_EQ(rowsOf(replayed.out).back()[Step], std::to_string(saidAt - 1));
#endif
}

// A recording's reload is a read of the room where a death's curtain ends at that step; at a
// step where none ends it reads nothing.
TEST_F(ReplayRun, ARecordedReloadReadsTheRoomAgainBehindThatStepsCurtain) {
    // Nothing to stand on: the player falls out, dies at step 77 and is back at step 198.
    dir.write("ring/res/rooms/room1.txt", "entrypoint position 20 20 side left\n");
    const std::vector<Row> rows = trace("start 1 left 640x480 window\nreload 150\nreload 198\n", 200);
    std::vector<std::string> loads;
    for (const Row& row : rows)
        if (row[Events].find("load=") != std::string::npos)
            loads.push_back(row[0] + " " + row[Events]);
    EXPECT_EQ(loads,
              (std::vector<std::string>{"0 load=res/rooms/room1.txt", "198 load=res/rooms/room1.txt"}));
}

// A recorded focus loss is the game window's: the frame loop runs no step while the window is
// away, so both lines name one step. The sounds stop and the held key is let go there.
TEST_F(ReplayRun, ARecordedFocusLossSilencesTheGameAndLetsTheHeldKeyGo) {
    const std::vector<Row> rows = trace("1 right down\nfocus lost 10\nfocus gained 10\n14 right down\n", 20);
    ASSERT_EQ(rows.size(), 21u);
    std::string held; // from step 0
    for (const Row& row : rows)
        held += row[Keys] == "0" ? '.' : 'R';
    EXPECT_EQ(held, ".RRRRRRRRR....RRRRRRR");
    EXPECT_EQ(rows[10][Events], "stop");
}

// --- errors --------------------------------------------------------------------------

class ReplayErrors : public ReplayRun {
  protected:
    // Exit code 2, one line naming `named`, and no trace, shot or screenshot written.
    void expectRefused(std::vector<std::string> args, const std::string& named) {
        args.insert(args.end(), {"--trace", "t.tsv", "--trace-objects", "o.tsv", "--shot", "0:s.png"});
        const Result result = run(args);
        EXPECT_EQ(result.code, 2) << named;
        EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
        for (const char* name : {"t.tsv", "o.tsv", "s.png", "ring/screenshot.png"})
            EXPECT_FALSE(fs::exists(dir.path(name))) << named << ": " << name;
        EXPECT_EQ(dataFolder(), dir.path(""));
        EXPECT_FALSE(world.room);
    }
};

TEST_F(ReplayErrors, BadOptionsWriteNothing) {
    // Every refusal is in the option table above; these run the tool to see nothing written.
    expectRefused({"--root", "ring", "--steps", "5", "--size", "320x200"}, "--size");
    expectRefused({"--root", "nowhere", "--steps", "5"}, "--root");
}

// Each with why: the system's reason, or the bound the file breaks.
TEST_F(ReplayErrors, AKeyScriptThatCannotBeReadOrParsedWritesNothing) {
    expectRefused({"--root", "ring", "--steps", "5", "--keys", "missing.txt"},
                  "missing.txt\": cannot read the key script: No such file or directory");
    fs::create_directories(dir.path("folder"));
    expectRefused({"--root", "ring", "--steps", "5", "--keys", "folder"},
                  "folder\": cannot read the key script: it is not a regular file");
    fs::resize_file(dir.write("huge.keys", ""), 5 * 1024 * 1024);
    expectRefused({"--root", "ring", "--steps", "5", "--keys", "huge.keys"},
                  "huge.keys\": cannot read the key script: it is larger than the 4 MB");
#ifdef __unix__
    if (fs::exists("/proc/self/pagemap")) {
        fs::create_symlink("/proc/self/pagemap", dir.path("endless.keys"));
        expectRefused({"--root", "ring", "--steps", "5", "--keys", "endless.keys"},
                      "endless.keys\": cannot read the key script: it holds more than the size it reports");
    }
#else
    std::cout << "[ SKIPPED  ] the endless case: /proc/self/pagemap is reached by a symbolic link, made the "
                 "POSIX way\n";
#endif
    dir.write("bad.txt", "1 up down\n2 jump down\n");
    expectRefused({"--root", "ring", "--steps", "5", "--keys", "bad.txt"}, "bad.txt:2:");
}

TEST_F(ReplayErrors, RoomsThatCannotBeReadWriteNothing) {
    fs::remove(dir.path("ring/res/rooms/room3.txt"));
    expectRefused({"--root", "ring", "--steps", "5", "--room", "3"},
                  "\"res/rooms/room3.txt\": No such file or directory under " + here("ring"));
    fs::remove(dir.path("ring/res/rooms/room1.txt"));
    expectRefused({"--root", "ring", "--steps", "5"},
                  "ring: cannot read the first room, \"res/rooms/room1.txt\": No such file or directory");
}

// A run that cannot start takes back only the traces it created: a trace that was there
// before, or a device node (as root, the case of --trace /dev/null), stays as it was.
TEST_F(ReplayErrors, AFailedStartRemovesOnlyTracesItCreated) {
    dir.write("old.tsv", "keep me");
    std::vector<std::string> traces = {"old.tsv", "new.tsv"};
    bool device = false;
#ifdef __unix__
    const int null = mknod(dir.path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0
                         ? open(dir.path("null").c_str(), O_WRONLY)
                         : -1;
    device = null >= 0;
    if (device) {
        close(null);
        traces.push_back("null");
    }
#endif
    if (!device)
        std::cout << "[ SKIPPED  ] the device node case: making and opening a device needs root on POSIX\n";
    for (const std::string& trace : traces) {
        const Result result =
            run({"--root", "ring", "--steps", "5", "--trace", trace, "--trace-objects", "no/folder/o.tsv"});
        EXPECT_EQ(result.code, 2) << trace;
        // Quoted as every name is: Windows' backslashes come doubled.
        EXPECT_EQ(result.err, "marrowgast-replay: " + quotedText(here("no/folder/o.tsv")) +
                                  ": cannot write the object trace: No such file or directory\n");
    }
    EXPECT_EQ(readText(dir.path("old.tsv")), "keep me");
    EXPECT_FALSE(fs::exists(dir.path("new.tsv")));
    if (device) {
        EXPECT_EQ(fs::symlink_status(dir.path("null")).type(), fs::file_type::character);
    }
}

// Outputs go through a link only to a stream: a trace into a pipe arrives whole, the way
// --trace /dev/stdout reaches a shell's pipe; a link to a file (a room, say) is refused and the
// file left alone, for traces and shots alike.
TEST_F(ReplayErrors, OutputsFollowLinksOnlyToPipesAndDevices) {
#ifndef __unix__
    GTEST_SKIP() << "symbolic links and pipes are made the POSIX way";
#endif
    dir.write("room.txt", "keep me");
    fs::create_symlink("room.txt", dir.path("link"));
    const Result trace = run({"--root", "ring", "--steps", "5", "--trace", "link"});
    EXPECT_EQ(trace.code, 2);
    EXPECT_EQ(trace.err, "marrowgast-replay: \"" + here("link") +
                             "\": cannot write the trace: it is a symbolic link; only a pipe or a device is "
                             "written through one\n");
    const Result shot = run({"--root", "ring", "--steps", "5", "--shot", "0:link"});
    EXPECT_EQ(shot.code, 1);
    EXPECT_NE(shot.err.find("link\": cannot write the shot: it is a symbolic link\n"), std::string::npos)
        << shot.err;
    EXPECT_EQ(readText(dir.path("room.txt")), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir.path("link")));

#ifdef __unix__
    ASSERT_EQ(mkfifo(dir.path("pipe").c_str(), 0666), 0);
    fs::create_symlink("pipe", dir.path("pipe-link"));
    std::string streamed;
    std::thread reader([&streamed, &dir = dir] { streamed = readText(dir.path("pipe")); });
    const Result piped = run({"--root", "ring", "--steps", "30", "--trace", "pipe-link"});
    // Lets the reader go should the run never have opened the pipe.
    const int poke = open(dir.path("pipe").c_str(), O_WRONLY | O_NONBLOCK);
    if (poke >= 0)
        close(poke);
    reader.join();
    EXPECT_EQ(piped.code, 0) << piped.err;
    const Result direct = run({"--root", "ring", "--steps", "30", "--trace", "-"});
    EXPECT_EQ(streamed, direct.out);
    EXPECT_EQ(rowsOf(streamed).size(), 32u);
#endif
}

TEST_F(ReplayErrors, AShotNeverReachedIsAFailure) {
    dir.write("k.txt", "2 escape up\n");
    const Result result = run({"--root", "ring", "--keys", "k.txt", "--steps", "5", "--shot", "4:late.png"});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("--shot: step 4"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir.path("late.png")));
}

} // namespace
