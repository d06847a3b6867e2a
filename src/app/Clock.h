#pragma once
#include <cstdint>

// A monotonic tick count and its rate: the performance counter of the machine.
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual std::int64_t frequency() = 0;
    virtual std::int64_t counter() = 0;
};

// Milliseconds since the first reading, as seconds in steps of 0.001.
struct Clock {
    TickSource* ticks = nullptr;
    std::int64_t clockFrequency = 0;
    std::int64_t clockStart = 0;

    double readClock();
};

// Whole milliseconds in `elapsed` ticks at `frequency` ticks per second, truncated.
// Split into quotient and remainder so that the product never overflows 64 bits.
std::int64_t elapsedMilliseconds(std::int64_t elapsed, std::int64_t frequency);
