// Peak resident memory of a long replay, as the replay tool reads its own (--memory). The
// rusage wait4 gives is no good here: posix_spawn starts the child sharing this process's
// memory, so the child's peak would include this benchmark process's.
#include "BenchSupport.h"
#include "Benchmarks.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr std::int64_t ReplaySteps = 100000;

std::string readFile(const std::filesystem::path& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The number right before `words` in the tool's summary; 0 when there is none.
double numberBefore(const std::string& summary, const std::string& words) {
    const std::size_t end = summary.find(words);
    if (end == std::string::npos || end == 0)
        return 0.0;
    const std::size_t start = summary.rfind(' ', end - 1);
    return std::stod(summary.substr(start + 1, end - start - 1));
}

void replayPeakMemory(benchmark::State& state, const std::filesystem::path& root, const RoomCensus& room) {
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "marrowgast-bench-replay";
    std::filesystem::create_directories(scratch);
    const std::filesystem::path keys = scratch / "walk.keys";
    const std::filesystem::path summary = scratch / "summary.txt";
    std::ofstream(keys, std::ios::binary) << walkScriptText(ReplaySteps);

    const std::string steps = std::to_string(ReplaySteps);
    const std::string roomNumber = std::to_string(room.index + 1);
    const std::string rootText = root.string();
    const std::string keysText = keys.string();
    const std::string summaryText = summary.string();
    std::vector<const char*> args = {MARROWGAST_REPLAY_EXE, "--steps",  steps.c_str(),    "--root",
                                     rootText.c_str(),      "--keys",   keysText.c_str(), "--room",
                                     roomNumber.c_str(),    "--memory", nullptr};
    long peakKilobytes = 0;
    double replayRate = 0.0;
    double curtainSteps = 0.0;
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, summaryText.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t child = 0;
        const auto started = std::chrono::steady_clock::now();
        const int spawned =
            posix_spawn(&child, args[0], &actions, nullptr, const_cast<char**>(args.data()), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            state.SkipWithError("cannot start marrowgast-replay");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError(("marrowgast-replay failed: " + readFile(summary)).c_str());
            return;
        }
        const std::string text = readFile(summary);
        const std::size_t peak = text.find(", peak: ");
        peakKilobytes = peak == std::string::npos ? 0 : std::atol(text.c_str() + peak + 8);
        replayRate = numberBefore(text, " steps per second");
        curtainSteps = numberBefore(text, " of them behind the curtain");
    }
    state.counters["peak_MB"] = static_cast<double>(peakKilobytes) / 1024.0;
    state.counters["replay_steps_per_second"] = replayRate;
    state.counters["replay_curtain_steps"] = curtainSteps;
    std::filesystem::remove_all(scratch);
}

} // namespace

void registerMemoryBenchmarks(const std::filesystem::path& root, const RoomCensus& busiest) {
    benchmark::RegisterBenchmark(
        "memory/replay_100000_steps",
        [root, busiest](benchmark::State& state) { replayPeakMemory(state, root, busiest); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
}
