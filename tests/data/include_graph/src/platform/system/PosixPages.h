#pragma once
#include <unistd.h>

long pageKiB() {
    return sysconf(_SC_PAGESIZE) / 1024;
}
