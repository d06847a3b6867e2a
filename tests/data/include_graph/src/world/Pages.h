#pragma once
#include <unistd.h>

long pageKiB() {
    return sysconf(_SC_PAGESIZE) / 1024;
}
#ifdef _WIN32
#endif
