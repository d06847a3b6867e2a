#pragma once
#include <cstdint>

// Every call of the global operator new in this binary, counted since the program started.
// The counting operators live in AllocationCounter.cpp; only the benchmark binary links them.
std::uint64_t allocationCount();
