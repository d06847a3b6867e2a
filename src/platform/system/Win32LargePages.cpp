#include "platform/system/LargePages.h"

// Windows gives large pages only to a process holding the privilege to lock memory: none here.
void adviseLargePages(void* /*start*/, std::size_t /*bytes*/) {}
