#pragma once
#include "BenchSupport.h"

#include <filesystem>

// Each file registers its benchmarks; the rooms are looked at when the program starts.
void registerSimulationBenchmarks(const std::filesystem::path& root, const RoomCensus& busiest);
void registerDrawingBenchmarks(const std::filesystem::path& root);
// Whether a drawing benchmark found pixels the device would not draw; the run then fails.
bool framePixelsChanged();
void registerStartupBenchmarks(const std::filesystem::path& root);
void registerMemoryBenchmarks(const std::filesystem::path& root, const RoomCensus& busiest);
void registerSnapshotBenchmarks(const std::filesystem::path& root);
// The solver on every bundled room, each way alone and both ways as two processes at once.
void registerSolverBenchmarks(const std::filesystem::path& root);
