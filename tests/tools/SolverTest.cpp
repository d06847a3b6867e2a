#include "tools/common/Solver.h"

#include "app/GameSetup.h"
#include "tools/common/Replay.h"

#include "support/TempDir.h"

#include "support/ReadText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// tests/data/solve: room 1 a flat floor, room 2 a wall to the top of the room, room 3 an exit
// east under a low roof past a robot that fires for good, room 4 flat again.
const std::string SolveRoot = std::string(MARROWGAST_TEST_DATA) + "/solve";

struct SolveRun {
    int status = -1;
    std::string out;
    std::string err;
};

SolveRun solve(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    args.insert(args.begin(), {"--root", SolveRoot});
    SolveRun run;
    run.status = solveMain(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

TEST(Solver, EachRoomAndWayGetsItsLineAndStatus) {
    struct Case {
        std::vector<std::string> args;
        const char* lines;
        int status;
    };
    const Case cases[] = {
        {{"--room", "2", "--way", "west", "--way", "east"},
         "room 2 west: no crossing within 3600 steps \\(\\d+ states searched\\)\n"
         "room 2 east: no crossing within 3600 steps \\(\\d+ states searched\\)\n",
         1},
        {{"--room", "3", "--way", "east", "--max-steps", "600"},
         "room 3 east: no crossing within 600 steps \\(\\d+ states searched\\)\n",
         1},
        // Too few steps to walk across.
        {{"--room", "1", "--way", "east", "--max-steps", "200"},
         "room 1 east: no crossing within 200 steps \\(\\d+ states searched\\)\n",
         1},
        {{"--room", "5"}, "", 2},
        {{"--way", "north"}, "", 2},
        {{"--max-steps", "0"}, "", 2},
        {{"--keys-out", SolveRoot + "/no-such-directory"}, "", 2},
        {{"--frobnicate"}, "", 2},
        // A root without the ring's rooms: nothing can be entered.
        {{"--root", SolveRoot + "/res", "--room", "2"}, "", 2},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        SCOPED_TRACE(c.args.front() + " " + c.args.back() + ": " + run.out + run.err);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(std::regex_match(run.out, std::regex(c.lines)));
        if (c.status == 2) {
            EXPECT_NE(run.err.find(c.args.front() == "--root" ? "room 2: cannot read"
                                                              : "; try marrowgast-solve --help\n"),
                      std::string::npos);
        }
    }
}

// What the solver writes, the replay tool plays: the room changes in the reported step, alive.
TEST(Solver, FoundScriptsReplayAcrossTheRoom) {
    TempDir dir;
    const SolveRun run = solve({"--room", "1", "--keys-out", dir.path("")});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    // On a flat floor every key event can happen anywhere in the 121 steps a window is counted
    // over; the walk is the only key pressed.
    EXPECT_TRUE(
        std::regex_match(run.out, std::regex("room 1 east: crossed in \\d+ steps, tightest window 121 steps "
                                             "\\(right down at step \\d+\\)\n"
                                             "room 1 west: crossed in \\d+ steps, tightest window 121 steps "
                                             "\\(left down at step \\d+\\)\n"
                                             "room 1: tightest window 121 steps \\(east, right down at "
                                             "step \\d+\\)\n")))
        << run.out;
    for (const std::string way : {"east", "west"}) {
        const std::string keys = dir.path("room1-" + way + ".keys");
        std::smatch found;
        const std::string line = run.out.substr(run.out.find("room 1 " + way));
        ASSERT_TRUE(std::regex_search(line, found, std::regex("crossed in (\\d+) steps")));
        const int steps = std::stoi(found[1]);
        EXPECT_EQ(readText(keys).rfind("# room 1 " + way + ": crossed in", 0), 0u);

        std::ostringstream out;
        std::ostringstream err;
        const std::string trace = dir.path(way + ".trace");
        ASSERT_EQ(replayMain({"--root", SolveRoot, "--room", "1", "--side", way == "east" ? "left" : "right",
                              "--keys", keys, "--steps", std::to_string(steps + 121), "--trace", trace},
                             out, err),
                  0)
            << err.str();
        const std::string rows = readText(trace);
        EXPECT_EQ(rows.find("sound=res/sound/die"), std::string::npos);
        // The curtain starts in the step the solver named and the neighbour is read as it ends.
        const std::string next = way == "east" ? "2" : "4";
        EXPECT_NE(rows.find("\n" + std::to_string(steps) + "\t" + next + "\t"), std::string::npos);
        EXPECT_NE(rows.find("load=res/rooms/room" + next + ".txt"), std::string::npos);
    }
}

// Each press and each release is measured alone: stepping onto a lift and stopping there, the
// walk's end must fall within a unit (under 9 steps) though the walk as a whole could start
// much later. The window is the run of steps the event can move in and still cross.
TEST(Solver, EveryKeyEventHasAWindowOfItsOwn) {
    TempDir dir;
    std::filesystem::copy(std::string(MARROWGAST_TEST_DATA) + "/check/clean/res", dir.path("res"),
                          std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(std::string(MARROWGAST_TEST_DATA) + "/check/tight-lift.txt",
                               dir.path("res/rooms/room1.txt"),
                               std::filesystem::copy_options::overwrite_existing);
    GameSetup game(dir.path(""));
    std::string error;
    const Crossing crossing = solveRoom(game, 1, Way::East, SearchBounds{}, error);
    ASSERT_TRUE(crossing.found) << error;
    EXPECT_EQ(crossing.tightestKey, 0x02u); // Right
    EXPECT_GE(crossing.tightestWindow, 5);
    EXPECT_LT(crossing.tightestWindow, FairWindowSteps);
    const std::string text = tightestText(crossing);
    EXPECT_EQ(text, std::to_string(crossing.tightestWindow) + " steps (right " +
                        (crossing.tightestRelease ? "up" : "down") + " at step " +
                        std::to_string(crossing.tightestAt) + ")");

    // The tightest event moved to each end of its window still crosses, one step further not.
    std::vector<KeyPress> presses = crossing.presses;
    KeyPress* walk = nullptr;
    for (KeyPress& p : presses) {
        if (p.key == crossing.tightestKey &&
            (crossing.tightestRelease ? p.up : p.down) == crossing.tightestAt)
            walk = &p;
    }
    ASSERT_NE(walk, nullptr);
    int& step = crossing.tightestRelease ? walk->up : walk->down;
    auto crosses = [&](int at) {
        step = at;
        TempDir scripts;
        scripts.write("k.keys", keyScriptText(presses, "moved"));
        std::ostringstream out;
        std::ostringstream err;
        replayMain({"--root", dir.path(""), "--room", "1", "--keys", scripts.path("k.keys"), "--steps", "700",
                    "--trace", scripts.path("t")},
                   out, err);
        const std::string rows = readText(scripts.path("t"));
        return rows.find("sound=res/sound/die") == std::string::npos &&
               rows.find("load=res/rooms/room2.txt") != std::string::npos;
    };
    int first = crossing.tightestAt;
    while (first > 1 && crosses(first - 1))
        --first;
    int last = crossing.tightestAt;
    while (crosses(last + 1))
        ++last;
    EXPECT_EQ(last - first + 1, crossing.tightestWindow);
}

// A key script replaces only a regular file: a link planted under its name (into the rooms,
// say) stays a link, its file untouched, and the terminal says why.
TEST(Solver, KeyScriptsAreNeverWrittenThroughLinks) {
#ifndef __unix__
    GTEST_SKIP() << "the symbolic link is made the POSIX way";
#endif
    TempDir dir;
    dir.write("room.txt", "keep me");
    std::filesystem::create_symlink("room.txt", dir.path("room1-west.keys"));
    const SolveRun run = solve({"--room", "1", "--way", "west", "--keys-out", dir.path("")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("marrowgast-solve: \"" + dir.path("room1-west.keys") +
                           "\": cannot write the key script: it is a symbolic link\n"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("room1-west.keys")));
    EXPECT_EQ(readText(dir.path("room.txt")), "keep me");
}

TEST(Solver, ASearchOutOfStatesSaysSoAndNeverNoCrossing) {
    GameSetup game(SolveRoot);
    std::string error;
    SearchBounds bounds;
    bounds.stateLimit = 1000;
    const Crossing crossing = solveRoom(game, 3, Way::East, bounds, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(crossing.stop, SearchStop::States);
    EXPECT_GE(crossing.states, 1000u);
    EXPECT_EQ(crossingLine(3, Way::East, crossing, 3600),
              "room 3 east: search stopped after " + std::to_string(crossing.states) +
                  " states: the bound of 1000 states was reached");
}

// A copy of the bundled data whose room 2 also holds `count` copies of `robot`: the rooms of
// many robots that once ran a search out of memory.
std::string roomOfRobots(const TempDir& dir, const std::string& name, const std::string& robot, int count) {
    const std::filesystem::path root = dir.path(name);
    std::filesystem::create_directories(root);
    std::filesystem::copy(std::string(MARROWGAST_SOURCE_DIR) + "/res", root / "res",
                          std::filesystem::copy_options::recursive);
    std::ofstream room(root / "res/rooms/room2.txt", std::ios::app);
    for (int i = 0; i < count; ++i)
        room << robot << "\n";
    return root.string();
}

const std::string Followers =
    "robot start 20 4 waypoints 2 4 36 4 texture res/textures/robot_b.set patrol followplayer";
const std::string Lasers =
    "robot start 2 4 texture res/textures/robot_a.set laser res/textures/laser.set patrol laser";
const std::string StandingRobot = "robot start 2 4 texture res/textures/robot_a.set";

// The memory bound is counted from sizes: every run stops at the same state, holding the same
// bytes, just under the bound, and says so with exit 1.
TEST(Solver, RoomsOfManyRobotsStopAtTheMemoryBoundAtTheSameStateEveryRun) {
    TempDir dir;
    struct Case {
        std::string robot;
        int count;
    };
    for (const Case& c : {Case{Followers, 100}, Case{Lasers, 1000}, Case{StandingRobot, 10000}}) {
        const std::string root = roomOfRobots(dir, std::to_string(c.count), c.robot, c.count);
        const std::vector<std::string> args = {"--root", root,   "--room",       "2",
                                               "--way",  "east", "--max-memory", "4"};
        std::ostringstream out[2];
        std::ostringstream err[2];
        for (int run = 0; run < 2; ++run)
            ASSERT_EQ(solveMain(args, out[run], err[run]), 1) << out[run].str() << err[run].str();
        SCOPED_TRACE(std::to_string(c.count) + " robots: " + out[0].str());
        EXPECT_EQ(out[0].str(), out[1].str());
        std::smatch found;
        const std::string line = out[0].str();
        ASSERT_TRUE(
            std::regex_match(line, found,
                             std::regex("room 2 east: search stopped after (\\d+) states: the next would "
                                        "pass the memory bound of 4 MiB \\((\\d+) bytes held\\)\n")));
        EXPECT_GT(std::stoul(found[1]), 1u);
        // Within the sixteenth of the bound a chunk of states takes.
        const std::size_t held = std::stoul(found[2]);
        EXPECT_LE(held, 4u << 20);
        EXPECT_GT(held, (4u << 20) - (4u << 20) / 16 - (4u << 20) / 8);
    }
}

// A bound that cannot hold the first states of 10,000 robots says so before searching; the
// bound itself is read as MiB from 1.
TEST(Solver, ABoundTooSmallForTheFirstStateSaysSo) {
    TempDir dir;
    const std::string root = roomOfRobots(dir, "still", StandingRobot, 10000);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(solveMain({"--root", root, "--room", "2", "--way", "east", "--max-memory", "1"}, out, err), 1);
    EXPECT_TRUE(std::regex_match(out.str(),
                                 std::regex("room 2 east: search stopped before the first state: it "
                                            "needs \\d+ bytes to start, past the memory bound of 1 MiB\n")))
        << out.str() << err.str();
    for (const std::string bad : {"0", "1048577", "1k", "-4", ""}) {
        std::ostringstream none;
        std::ostringstream usage;
        EXPECT_EQ(solveMain({"--root", root, "--max-memory", bad}, none, usage), 2) << bad;
        EXPECT_NE(usage.str().find("--max-memory"), std::string::npos) << usage.str();
    }
}

// Progress lines follow the search without changing it, and the states of a crossing are kept
// as sparsely as a small bound asks without changing the crossing either.
TEST(Solver, NeitherProgressNorAMemoryBoundChangesTheCrossingFound) {
    TempDir dir;
    // A pit 7 units wide, which a jump of 8.4 clears only from a take-off of a few steps, and
    // 24 robots standing high above it to make each state big enough that 1 MiB holds a few
    // hundred states but not one for each of 3600 steps.
    const std::filesystem::path root = dir.path("pit");
    std::filesystem::copy(SolveRoot, root, std::filesystem::copy_options::recursive);
    {
        std::ofstream room(root / "res/rooms/room1.txt", std::ios::trunc);
        room << "platform start 0 30 end 12 30\nplatform start 20 30 end 39 30\n"
                "entrypoint position 1 29 side left\nentrypoint position 37 29 side right\n";
        for (int i = 0; i < 24; ++i)
            room << "robot start 2 4 texture res/textures/robot.set\n";
    }
    GameSetup game(root.string());
    std::string error;
    SearchBounds plain;
    const Crossing expected = solveRoom(game, 1, Way::East, plain, error);
    ASSERT_TRUE(expected.found) << error;
    EXPECT_LT(expected.tightestWindow, 121);

    std::ostringstream progress;
    SearchBounds watched;
    watched.memoryLimit = 1u << 20;
    watched.progress = &progress;
    watched.progressLabel = "pit east";
    watched.progressSeconds = 0.0;
    const Crossing crossing = solveRoom(game, 1, Way::East, watched, error);
    ASSERT_TRUE(crossing.found) << error;
    EXPECT_EQ(crossing.steps, expected.steps);
    EXPECT_EQ(crossing.tightestWindow, expected.tightestWindow);
    EXPECT_EQ(keyScriptText(crossing.presses, ""), keyScriptText(expected.presses, ""));
    EXPECT_EQ(crossing.states, expected.states);
    EXPECT_LT(crossing.bytes, 1u << 20);

    const std::string lines = progress.str();
    EXPECT_TRUE(
        std::regex_search(lines, std::regex("^pit east: 1 states, [0-9.]+ of 1.0 MiB held, [0-9.]+ s\n")))
        << lines;
    EXPECT_TRUE(
        std::regex_search(lines, std::regex("\npit east: \\d+ crossings? found, making the easiest easier: "
                                            "\\d+ steps re-run, [0-9.]+ s\n")))
        << lines.substr(0, 400);
}

// With no temporary directory the reach says what it could not do; nothing is thrown. (A
// deleted working directory is tools.HostileFilesNeverBlock's: the tools are started there.)
TEST(Solver, NoTemporaryDirectoryIsAMessage) {
#ifndef __unix__
    GTEST_SKIP() << "the temporary directory is named by TMPDIR on POSIX systems only";
#else
    TempDir dir;
    const char* temporary = std::getenv("TMPDIR");
    const std::string saved = temporary != nullptr ? temporary : "";
    setenv("TMPDIR", dir.path("none").c_str(), 1);
    GameSetup game(SolveRoot);
    std::ostringstream reach;
    std::string error;
    const bool measured = measureReach(game, reach, error);
    if (temporary != nullptr)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_FALSE(measured);
    EXPECT_EQ(error.rfind("no temporary directory: ", 0), 0u) << error;
#endif
}

TEST(Solver, ReachIsMeasuredInTheRealSimulation) {
    GameSetup game(SolveRoot);
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(measureReach(game, out, error)) << error;
    EXPECT_NE(out.str().find("run speed: 9 units a second (0.15 a step)\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("highest step climbed: 3 units"), std::string::npos) << out.str();
}

} // namespace
