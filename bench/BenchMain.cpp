// marrowgast_bench: the game's performance figures next to their baselines.
// scripts/bench.sh runs it and writes docs/PERFORMANCE.md from the results.
#include "BenchSupport.h"
#include "Benchmarks.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    // Headless: no display and no sound card are needed.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const std::filesystem::path root = benchRoot();
    const RoomCensus busiest = busiestRoom(root);
    benchmark::AddCustomContext("root", root.string());
    benchmark::AddCustomContext("busiest_room", "room" + std::to_string(busiest.index + 1) + ": " +
                                                    std::to_string(busiest.robots) + " robots, " +
                                                    std::to_string(busiest.lifts) + " lifts, " +
                                                    std::to_string(busiest.objects) + " objects");
    registerSimulationBenchmarks(root, busiest);
    registerDrawingBenchmarks(root);
    registerStartupBenchmarks(root);
    registerMemoryBenchmarks(root, busiest);
    registerSnapshotBenchmarks(root);
    registerSolverBenchmarks(root);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (framePixelsChanged()) {
        std::cerr << "marrowgast_bench: frames changed where they should not (see the render benchmarks)\n";
        return 1;
    }
    return 0;
}
