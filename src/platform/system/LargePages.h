#pragma once
#include <cstddef>

// The size and alignment of a large page where the system has them.
inline constexpr std::size_t LargePageBytes = std::size_t{2} << 20;

// Asks the system to back [start, start + bytes), aligned to LargePageBytes, with large pages
// where it can: memory first written a record at a time over tens of megabytes then faults
// once a large page, not once a small one. A hint only: nothing changes where there are none.
void adviseLargePages(void* start, std::size_t bytes);
