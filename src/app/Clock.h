#pragma once
#include <cstdint>

#include "platform/TickSource.h"

// Milliseconds since the first reading, as seconds in steps of 0.001.
struct Clock {
    TickSource* ticks = nullptr;
    std::int64_t clockFrequency = 0;
    std::int64_t clockStart = 0;

    double readClock();
    // Moves the origin `seconds` whole seconds later, so that readings drop by exactly that
    // many milliseconds. `seconds` must not exceed the whole seconds already read.
    void moveOrigin(std::int64_t seconds);
};

// Whole milliseconds in `elapsed` ticks at `frequency` ticks per second, truncated.
// Split into quotient and remainder so that the product never overflows 64 bits.
std::int64_t elapsedMilliseconds(std::int64_t elapsed, std::int64_t frequency);
