// World snapshots as a search uses them: save, put back, compare, hash, in every bundled room.
#include "BenchSupport.h"
#include "Benchmarks.h"

#include "actors/Player.h"
#include "game/WorldSnapshot.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

enum class Use { Save, Restore, SaveAndRestore, Compare, Hash, SearchNode };

// The player has walked for a while, so robots are mid-patrol and animations mid-frame.
constexpr std::int64_t WarmUpSteps = 100;

void snapshotUse(benchmark::State& state, const std::filesystem::path& root, std::size_t roomIndex, Use use) {
    HeadlessGame game(root, roomIndex);
    if (!game.ok()) {
        state.SkipWithError(game.error().c_str());
        return;
    }
    const KeyScript script = walkScript(WarmUpSteps);
    for (std::int64_t step = 1; step <= WarmUpSteps; ++step)
        game.step(script, step);
    WorldSnapshot saved;
    WorldSnapshot other;
    saveWorld(saved);
    saveWorld(other);
    std::uint32_t held = 0;
    std::uint32_t keys = 0;
    for (auto _ : state) {
        switch (use) {
        case Use::Save:
            saveWorld(other);
            break;
        case Use::Restore:
            restoreWorld(saved);
            break;
        case Use::SaveAndRestore:
            saveWorld(other);
            restoreWorld(saved);
            break;
        case Use::Compare:
            benchmark::DoNotOptimize(saved == other);
            break;
        case Use::Hash:
            benchmark::DoNotOptimize(saved.hash());
            break;
        case Use::SearchNode:
            // One node of a search: back to the parent, one step under new keys, the child
            // saved and hashed.
            restoreWorld(saved);
            held = world.player->keys;
            keys = (keys + 1) % (KeyJump << 1);
            stepWorld(held, keys);
            saveWorld(other);
            benchmark::DoNotOptimize(other.hash());
            break;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["objects"] = static_cast<double>(saved.ring.objectCount);
    state.counters["robots"] = static_cast<double>(saved.robots.size());
    state.counters["lifts"] = static_cast<double>(saved.lifts.size());
    state.counters["searchables"] = static_cast<double>(saved.searchables.size());
}

} // namespace

void registerSnapshotBenchmarks(const std::filesystem::path& root) {
    const struct {
        const char* name;
        Use use;
    } uses[] = {
        {"save", Use::Save},       {"restore", Use::Restore}, {"save_restore", Use::SaveAndRestore},
        {"compare", Use::Compare}, {"hash", Use::Hash},       {"search_node", Use::SearchNode},
    };
    for (const RoomCensus& room : censusOfRooms(root)) {
        for (const auto& use : uses) {
            const std::string name =
                "snapshot/" + std::string(use.name) + "/room" + std::to_string(room.index + 1);
            const Use how = use.use;
            const std::size_t index = room.index;
            benchmark::RegisterBenchmark(name.c_str(), [root, index, how](benchmark::State& state) {
                snapshotUse(state, root, index, how);
            })->Unit(benchmark::kNanosecond);
        }
    }
}
