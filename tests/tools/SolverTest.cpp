#include "tools/common/Solver.h"

#include "app/GameSetup.h"
#include "tools/common/Replay.h"

#include "support/TempDir.h"

#include "support/ReadText.h"

#include <gtest/gtest.h>

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
            EXPECT_NE(
                run.err.find(c.args.front() == "--root" ? "room 2: cannot read" : "usage: marrowgast-solve"),
                std::string::npos);
        }
    }
}

// What the solver writes, the replay tool plays: the room changes in the reported step, alive.
TEST(Solver, FoundScriptsReplayAcrossTheRoom) {
    TempDir dir;
    const SolveRun run = solve({"--room", "1", "--keys-out", dir.path("")});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    // On a flat floor a press can start anywhere in the 121 steps the window is counted over.
    EXPECT_TRUE(
        std::regex_match(run.out, std::regex("room 1 east: crossed in \\d+ steps, tightest window 121 steps "
                                             "\\(at step \\d+\\)\n"
                                             "room 1 west: crossed in \\d+ steps, tightest window 121 steps "
                                             "\\(at step \\d+\\)\n")))
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

// A key script replaces only a regular file: a link planted under its name (into the rooms,
// say) stays a link, its file untouched, and the terminal says why.
TEST(Solver, KeyScriptsAreNeverWrittenThroughLinks) {
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
    const Crossing crossing = solveRoom(game, 3, Way::East, 3600, 1000, error);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(crossing.stopped);
    EXPECT_GE(crossing.states, 1000u);
    EXPECT_EQ(crossingLine(3, Way::East, crossing, 3600),
              "room 3 east: search stopped after " + std::to_string(crossing.states) + " states");
}

TEST(Solver, ReachIsMeasuredInTheRealSimulation) {
    GameSetup game(SolveRoot);
    std::ostringstream out;
    ASSERT_TRUE(measureReach(game, out));
    EXPECT_NE(out.str().find("run speed: 9 units a second (0.15 a step)\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("highest step climbed: 3 units"), std::string::npos) << out.str();
}

} // namespace
