#include "platform/system/MemoryUse.h"

#include <windows.h>

#include <psapi.h>

// The working set is Windows' resident memory.
namespace {

bool memoryCounters(PROCESS_MEMORY_COUNTERS& counters) {
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) != 0;
}

} // namespace

long residentKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    return memoryCounters(counters) ? static_cast<long>(counters.WorkingSetSize / 1024) : -1;
}

long peakResidentKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    return memoryCounters(counters) ? static_cast<long>(counters.PeakWorkingSetSize / 1024) : -1;
}
