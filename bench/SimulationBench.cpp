// Fixed steps with no drawing: the busiest bundled room, and synthetic rooms of growing size.
#include "AllocationCounter.h"
#include "BenchSupport.h"
#include "Benchmarks.h"

#include "actors/Player.h"
#include "game/WorldOperations.h"

#include <benchmark/benchmark.h>

namespace {

// The walk repeats every this many steps; the script is replayed from its start each time.
constexpr std::int64_t WalkPeriod = 240;

void simulate(benchmark::State& state, const std::filesystem::path& root, const RoomCensus& room) {
    HeadlessGame game(root, room.index);
    if (!game.ok()) {
        state.SkipWithError(game.error().c_str());
        return;
    }
    const KeyScript script = walkScript(WalkPeriod);
    std::int64_t phase = 0;
    auto oneStep = [&] {
        if (phase == WalkPeriod) {
            phase = 0;
            game.rewind();
        }
        game.step(script, ++phase);
    };
    // One whole walk first: every animation has been played, every list has its storage.
    for (std::int64_t i = 0; i < WalkPeriod; ++i)
        oneStep();

    std::int64_t steps = 0;
    std::int64_t deaths = 0;
    std::int64_t reentries = 0;
    std::uint64_t allocationsOutside = 0;
    const std::uint64_t allocationsBefore = allocationCount();
    for (auto _ : state) {
        const bool wasDying = world.player->state == Dying;
        oneStep();
        ++steps;
        if (!wasDying && world.player->state == Dying)
            ++deaths;
        if (world.roomChangePending) {
            // Walking out of the room: put the player back at once, off the clock and off the
            // count, so every step timed is play in this room rather than a curtain.
            state.PauseTiming();
            const std::uint64_t before = allocationCount();
            enterRingRoom(room.index, 0);
            game.rewind();
            phase = 0;
            ++reentries;
            allocationsOutside += allocationCount() - before;
            state.ResumeTiming();
        }
    }
    const std::uint64_t allocations = allocationCount() - allocationsBefore - allocationsOutside;
    state.SetItemsProcessed(steps);
    state.counters["objects"] = room.objects;
    state.counters["robots"] = room.robots;
    state.counters["lifts"] = room.lifts;
    state.counters["allocs_per_step"] = steps > 0 ? static_cast<double>(allocations) / steps : 0.0;
    state.counters["deaths"] = static_cast<double>(deaths);
    state.counters["reentries"] = static_cast<double>(reentries);
}

} // namespace

void registerSimulationBenchmarks(const std::filesystem::path& root, const RoomCensus& busiest) {
    benchmark::RegisterBenchmark("simulation/busiest_room", [root, busiest](benchmark::State& state) {
        simulate(state, root, busiest);
    })->Unit(benchmark::kNanosecond);

    for (int objects : {25, 50, 100, 200}) {
        benchmark::RegisterBenchmark(("simulation/synthetic/" + std::to_string(objects)).c_str(),
                                     [root, objects](benchmark::State& state) {
                                         const std::filesystem::path synthetic =
                                             writeSyntheticRoot(root, objects);
                                         RoomCensus census = censusOfRooms(synthetic).front();
                                         simulate(state, synthetic, census);
                                         std::filesystem::remove_all(synthetic);
                                     })
            ->Unit(benchmark::kNanosecond);
    }
}
