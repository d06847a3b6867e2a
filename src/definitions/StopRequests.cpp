#include "definitions/StopRequests.h"

#include <atomic>

namespace {

// Written from a signal handler: a lock-free atomic is safe there.
std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

bool stopRequested() {
    return stopFlag.load(std::memory_order_relaxed);
}

void requestStop() {
    stopFlag.store(true, std::memory_order_relaxed);
}
