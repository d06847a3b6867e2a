#pragma once
#include <cstdint>

// A monotonic tick count and its rate: the performance counter of the machine.
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual std::int64_t frequency() = 0;
    virtual std::int64_t counter() = 0;
};
