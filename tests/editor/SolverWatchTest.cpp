#include "editor/SolverWatch.h"
#include "editor/RoomEditor.h"

#include "support/System.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// The children this process has started and not yet reaped (the solvers, in these tests), from
// Linux's /proc; -1 elsewhere. Counted whatever their name: one just started may not yet carry
// the solver's.
int unreapedChildren() {
#ifdef _WIN32
    return -1;
#else
    if (!std::filesystem::exists("/proc/self/stat"))
        return -1;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == ::getpid())
            ++count;
    }
    return count;
#endif
}

// A floor from edge to edge and the two entry points: a short run each way.
const char* const OpenYard = "platform start 0 26 end 39 29 texture res/textures/stone.png\n"
                             "entrypoint position 1 25 side left\n"
                             "entrypoint position 37 25 side right\n";

// Polls until no search runs, at most a minute.
void waitForAnswers(SolverWatch& watch) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((watch.searching() > 0 || watch.poll()) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    watch.poll();
}

// A wall across the yard: neither way crossed; taken back: both crossed again, the path from
// the entry point out of the room.
TEST(SolverWatch, AWallAcrossTheRoomIsSeenAndItsUndoToo) {
    TempDir scratch;
    SolverWatch watch(MARROWGAST_SOLVE_PROGRAM, MARROWGAST_SOURCE_DIR, scratch.path(""));
    RoomEditor editor(OpenYard);
    std::string why;
    ASSERT_TRUE(watch.search(editor.document().text(), why)) << why;
    EXPECT_EQ(watch.answerText(0), "east: searching");
    waitForAnswers(watch);
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(watch.answerText(way));
        const WayAnswer& answer = watch.answer(way);
        ASSERT_EQ(answer.state, WayAnswer::State::Crossed);
        EXPECT_GT(answer.steps, 36 / 0.15 - 4);
        ASSERT_GT(answer.path.size(), 2U);
        EXPECT_FLOAT_EQ(answer.path.front().first, way == 0 ? 1.0f : 37.0f);
        EXPECT_FLOAT_EQ(answer.path.front().second, 25.0f);
        EXPECT_EQ(answer.path.back().first > 20.0f, way == 0);
    }
    EXPECT_NE(watch.answerText(0).find("east: crossed in "), std::string::npos);

    const std::optional<std::size_t> wall = editor.place(PieceKind::Platform, 20, 20);
    ASSERT_TRUE(wall);
    ASSERT_TRUE(editor.resize(*wall, {20, 26, 2, 26}));
    ASSERT_TRUE(watch.search(editor.document().text(), why)) << why;
    waitForAnswers(watch);
    // The wall fills x 20 to 22: what each way reached lies on its own side of it (a cell is
    // named by the hero's left edge, two units wide), and holds where it came in.
    for (int way = 0; way < 2; ++way) {
        const WayAnswer& answer = watch.answer(way);
        EXPECT_EQ(answer.state, WayAnswer::State::NotCrossed) << watch.answerText(way);
        EXPECT_TRUE(answer.path.empty());
        ASSERT_GT(answer.reached.size(), 10U);
        for (const auto& [x, y] : answer.reached)
            EXPECT_TRUE(way == 0 ? x <= 18 : x >= 22) << x << " " << y;
        const std::pair<int, int> entry = way == 0 ? std::pair{1, 25} : std::pair{37, 25};
        EXPECT_NE(std::find(answer.reached.begin(), answer.reached.end(), entry), answer.reached.end());
    }
    EXPECT_EQ(watch.answerText(1), "west: not crossed within 3600 steps");

    ASSERT_TRUE(editor.undo() && editor.undo());
    ASSERT_TRUE(watch.search(editor.document().text(), why)) << why;
    waitForAnswers(watch);
    EXPECT_EQ(watch.answer(0).state, WayAnswer::State::Crossed) << watch.answerText(0);
    EXPECT_TRUE(watch.answer(0).reached.empty());
}

// A newer room ends the searches of the older at once; a room the solver cannot read and a
// solver that is not there are answers too, not silence.
TEST(SolverWatch, NewerRoomsEndOlderSearchesAndFailuresAreAnswers) {
    TempDir scratch;
    SolverWatch watch(MARROWGAST_SOLVE_PROGRAM, MARROWGAST_SOURCE_DIR, scratch.path(""));
    std::string why;
    ASSERT_TRUE(watch.search(OpenYard, why)) << why;
    EXPECT_EQ(watch.searching(), 2);
    ASSERT_TRUE(watch.search("platform start 0 26 end 39 29\nentrypoint position 1 25 side left\n", why));
    // The older two stopped and waited for; the newer two, running or ended, not yet waited for
    // (asking whether they search would, so a count beside it could see one end in between).
    if (unreapedChildren() >= 0) {
        EXPECT_EQ(unreapedChildren(), 2);
    }
    waitForAnswers(watch);
    EXPECT_EQ(watch.answer(0).state, WayAnswer::State::Crossed) << watch.answerText(0);
    // The second room has no right entry point: the game then starts west at its own place,
    // and whatever the solver says of it, it is the second room's answer.
    EXPECT_NE(watch.answer(1).state, WayAnswer::State::Searching);

    ASSERT_TRUE(watch.search(std::string(1, '\0') + "robot start x", why));
    waitForAnswers(watch);
    EXPECT_NE(watch.answer(0).state, WayAnswer::State::Searching) << watch.answerText(0);

    SolverWatch missing(scratch.path("no solver"), MARROWGAST_SOURCE_DIR, scratch.path(""));
    EXPECT_FALSE(missing.search(OpenYard, why));
    EXPECT_EQ(missing.answer(1).state, WayAnswer::State::Failed);
    EXPECT_EQ(why.rfind("cannot start the solver " + scratch.path("no solver") + ": ", 0), 0U) << why;
    EXPECT_EQ(missing.answerText(1), "west: no answer: " + why);
    EXPECT_EQ(missing.searching(), 0);

    {
        SolverWatch leaving(MARROWGAST_SOLVE_PROGRAM, MARROWGAST_SOURCE_DIR, scratch.path(""));
        ASSERT_TRUE(leaving.search(OpenYard, why));
    }
    if (unreapedChildren() < 0)
        GTEST_SKIP() << "counting child processes needs Linux's /proc";
    EXPECT_EQ(unreapedChildren(), 0);
}

// A solver that stands in for the real one, each way's lines as a script prints them: for the
// room "first", east's answer among lines it must pass over and west's last message as it
// fails; for "second", east stopped (a malformed answer after it changes nothing) and west
// ending silent a little later.
TEST(SolverWatch, AnswersAreReadFromTheSolversLines) {
#ifdef _WIN32
    GTEST_SKIP() << "the stand-in solver is a shell script";
#else
    TempDir scratch;
    const std::string solver = scratch.write(
        "solve",
        "#!/bin/sh\n"
        "case \"$6 $(cat \"$4\")\" in\n"
        "'east first') printf 'answer east maybe\\npath east 1.5 25\\npath east x 25\\n"
        "reached east 3 4\\nreached east 3 y\\nanswer west crossed 5 1 none\\n"
        "answer east crossed 240 3 jump down 12\\n' ;;\n"
        "'west first') printf 'marrowgast-solve: first words\\nmarrowgast-solve: no room\\n'; exit 2 ;;\n"
        "'east second') printf 'answer east stopped out of room\\nanswer east crossed x 3 jump down 1\\n' "
        ";;\n"
        "'west second') sleep 0.5 ;;\n"
        "esac\n");
    std::filesystem::permissions(solver, std::filesystem::perms::owner_all);
    SolverWatch watch(solver, MARROWGAST_SOURCE_DIR, scratch.path(""));
    EXPECT_FALSE(watch.poll());
    EXPECT_EQ(watch.answerText(0), "east: not searched");
    std::string why;
    ASSERT_TRUE(watch.search("first", why)) << why;
    waitForAnswers(watch);
    EXPECT_EQ(watch.answerText(0),
              "east: crossed in 240 steps, tightest window 3 steps (jump down at step 12)");
    EXPECT_EQ(watch.answer(0).path, (std::vector<std::pair<float, float>>{{1.5f, 25.0f}}));
    EXPECT_EQ(watch.answer(0).reached, (std::vector<std::pair<int, int>>{{3, 4}}));
    EXPECT_EQ(watch.answerText(1), "west: no answer: no room");

    ASSERT_TRUE(watch.search("second", why)) << why;
    // The poll that finds west ended silent says an answer changed.
    bool saidChanged = false;
    for (int i = 0; i < 6000 && watch.answer(1).state == WayAnswer::State::Searching; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        saidChanged = watch.poll();
    }
    EXPECT_TRUE(saidChanged);
    waitForAnswers(watch);
    EXPECT_EQ(watch.answerText(0), "east: not known: out of room");
    EXPECT_TRUE(watch.answer(0).path.empty() && watch.answer(0).reached.empty());
    EXPECT_EQ(watch.answerText(1), "west: no answer: the solver ended without an answer");

    SolverWatch homeless(solver, MARROWGAST_SOURCE_DIR, scratch.path("no such folder"));
    EXPECT_FALSE(homeless.search("first", why));
    EXPECT_EQ(why.rfind("cannot write the room for the solver: ", 0), 0U) << why;
    EXPECT_EQ(homeless.answerText(0), "east: no answer: " + why);
#endif
}

// A tool beside the game wins over one in the installation's bin folder; where there is
// none, both places are named.
TEST(SolverWatch, ToolsAreFoundBesideTheGameOrInBin) {
    using Path = std::filesystem::path;
    TempDir root;
    const Path games = root.path("games");
    const Path bin = root.path("bin");
    std::filesystem::create_directories(games);
    std::filesystem::create_directories(bin);
    const std::string game = root.write("games/marrowgast", "");
    std::string looked;
    EXPECT_EQ(findTool(game, "marrowgast-solve", looked), "");
    EXPECT_EQ(looked, (games / "marrowgast-solve").string() + ", " + (bin / "marrowgast-solve").string());
    // A folder of that name is no program.
    std::filesystem::create_directories(games / "marrowgast-solve");
    EXPECT_EQ(findTool(game, "marrowgast-solve", looked), "");
    root.write("bin/marrowgast-solve", "");
    EXPECT_EQ(Path(findTool(game, "marrowgast-solve", looked)), bin / "marrowgast-solve");
    std::filesystem::remove(games / "marrowgast-solve");
    root.write("games/marrowgast-solve", "");
    EXPECT_EQ(Path(findTool(game, "marrowgast-solve", looked)), games / "marrowgast-solve");
    // Each tool by its own name: the check is not the solver.
    EXPECT_EQ(findTool(game, "marrowgast-check", looked), "");
    EXPECT_EQ(findTool("", "marrowgast-solve", looked), "");
}
} // namespace
