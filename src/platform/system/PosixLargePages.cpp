#include "platform/system/LargePages.h"

#include <sys/mman.h>

void adviseLargePages([[maybe_unused]] void* start, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    // Refused where transparent large pages are off: the memory is as good either way.
    ::madvise(start, bytes, MADV_HUGEPAGE);
#endif
}
