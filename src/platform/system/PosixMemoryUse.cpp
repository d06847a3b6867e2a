#include "platform/system/MemoryUse.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

// Linux tells under /proc; elsewhere the answer is -1.
long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    if (!(statm >> pages >> resident))
        return -1;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Read from the process itself: a parent's rusage of it would also count the parent's own
// peak when the process was started the vfork way.
long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}
