// The room solver on every bundled room: each way alone in this process, and both ways as two
// marrowgast-solve processes at once, as the room editor starts them after every change.
#include "BenchSupport.h"
#include "Benchmarks.h"

#include "tools/common/Solver.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

void solveOneWay(benchmark::State& state, const std::filesystem::path& root, int room, Way way) {
    GameSetup game(root);
    Crossing crossing;
    for (auto _ : state) {
        std::string error;
        crossing = solveRoom(game, room, way, SearchBounds{}, error);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        if (!crossing.found) {
            state.SkipWithError("the room was not crossed");
            return;
        }
    }
    state.counters["states"] = static_cast<double>(crossing.states);
    state.counters["steps"] = crossing.steps;
    state.counters["window"] = crossing.tightestWindow;
}

// Both ways at once, each in its own process with the room editor's options (the room as a file,
// the answers as lines with the path drawn, the key scripts written), timed on the wall clock
// until both have answered.
void solveBothWays(benchmark::State& state, const std::filesystem::path& root, int room) {
    const std::string rootText = root.string();
    const std::string roomFile = (root / "res" / "rooms" / ("room" + std::to_string(room) + ".txt")).string();
    std::error_code failed;
    const std::filesystem::path keys =
        std::filesystem::temp_directory_path(failed) / ("marrowgast-bench-keys-" + std::to_string(getpid()));
    std::filesystem::create_directories(keys, failed);
    if (failed) {
        state.SkipWithError("cannot make a folder for the key scripts");
        return;
    }
    const std::string keysText = keys.string();
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        pid_t children[2] = {0, 0};
        for (int way = 0; way < 2; ++way) {
            const char* args[] = {MARROWGAST_SOLVE_EXE,
                                  "--root",
                                  rootText.c_str(),
                                  "--room-file",
                                  roomFile.c_str(),
                                  "--way",
                                  way == 0 ? "east" : "west",
                                  "--lines",
                                  "--keys-out",
                                  keysText.c_str(),
                                  nullptr};
            posix_spawn_file_actions_t quiet;
            posix_spawn_file_actions_init(&quiet);
            posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
            const int spawned =
                posix_spawn(&children[way], args[0], &quiet, nullptr, const_cast<char**>(args), environ);
            posix_spawn_file_actions_destroy(&quiet);
            if (spawned != 0) {
                state.SkipWithError("cannot start marrowgast-solve");
                return;
            }
        }
        bool crossed = true;
        for (const pid_t child : children) {
            int status = 0;
            waitpid(child, &status, 0);
            crossed = crossed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!crossed) {
            state.SkipWithError("marrowgast-solve did not cross both ways");
            break;
        }
    }
    std::filesystem::remove_all(keys, failed);
}

} // namespace

void registerSolverBenchmarks(const std::filesystem::path& root) {
    for (const RoomCensus& census : censusOfRooms(root)) {
        if (census.objects == 0)
            continue;
        const int room = static_cast<int>(census.index) + 1;
        const std::string number = std::to_string(room);
        for (const Way way : {Way::East, Way::West}) {
            const std::string name = "solve/room" + number + (way == Way::East ? "/east" : "/west");
            benchmark::RegisterBenchmark(
                name.c_str(),
                [root, room, way](benchmark::State& state) { solveOneWay(state, root, room, way); })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
        }
        benchmark::RegisterBenchmark(
            ("solve/both_ways/room" + number).c_str(),
            [root, room](benchmark::State& state) { solveBothWays(state, root, room); })
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
    }
}
