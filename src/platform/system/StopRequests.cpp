#include "platform/system/StopRequests.h"

#include <csignal>

namespace {

// Written from a signal handler.
volatile std::sig_atomic_t stopFlag = 0;

} // namespace

bool stopRequested() {
    return stopFlag != 0;
}

void requestStop() {
    stopFlag = 1;
}

void clearStopRequest() {
    stopFlag = 0;
}
