// Start-up with every image decoded, and a room change once the images are cached.
#include "BenchSupport.h"
#include "Benchmarks.h"

#include "game/WorldOperations.h"
#include "graphics/Graphics.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void loadWorldCold(benchmark::State& state, const std::filesystem::path& root) {
    HeadlessGame game(root, 0);
    if (!game.ok()) {
        state.SkipWithError(game.error().c_str());
        return;
    }
    int decoded = 0;
    for (auto _ : state) {
        state.PauseTiming();
        game.restart();
        state.ResumeTiming();
        std::string error;
        if (!loadWorld(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        decoded = theGraphics.imageFilesDecoded;
    }
    state.counters["images_decoded"] = decoded;
}

void roomChangeWarm(benchmark::State& state, const std::filesystem::path& root, std::size_t room) {
    HeadlessGame game(root, room);
    if (!game.ok()) {
        state.SkipWithError(game.error().c_str());
        return;
    }
    const int decodedBefore = theGraphics.imageFilesDecoded;
    for (auto _ : state) {
        if (!enterRingRoom(room, 0)) {
            state.SkipWithError("the room cannot be read");
            return;
        }
    }
    // Warm means warm: not one image file read again.
    state.counters["images_decoded"] = theGraphics.imageFilesDecoded - decodedBefore;
}

} // namespace

void registerStartupBenchmarks(const std::filesystem::path& root) {
    benchmark::RegisterBenchmark("startup/load_world_cold", [root](benchmark::State& state) {
        loadWorldCold(state, root);
    })->Unit(benchmark::kMillisecond);
    // Entering a room of 1,000 robots: each distinct set file is read once for the room.
    benchmark::RegisterBenchmark("startup/enter_1000_robots", [root](benchmark::State& state) {
        const std::filesystem::path robots = writeRobotRoot(root, 1000);
        roomChangeWarm(state, robots, 1);
        std::filesystem::remove_all(robots);
    })->Unit(benchmark::kMillisecond);
    for (const RoomCensus& room : censusOfRooms(root)) {
        if (room.objects == 0)
            continue;
        const std::size_t index = room.index;
        benchmark::RegisterBenchmark(
            ("startup/room_change_warm/room" + std::to_string(index + 1)).c_str(),
            [root, index](benchmark::State& state) { roomChangeWarm(state, root, index); })
            ->Unit(benchmark::kMicrosecond);
    }
}
