#include "platform/system/TemporaryFolder.h"

#include <cerrno>
#include <cstdlib>

bool makeUniqueFolder(std::string& pattern, int& error) {
    if (::mkdtemp(pattern.data()) != nullptr)
        return true;
    error = errno;
    return false;
}
