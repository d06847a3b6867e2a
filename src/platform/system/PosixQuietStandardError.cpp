#include "platform/system/QuietStandardError.h"

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

QuietStandardError::QuietStandardError() {
    std::fflush(stderr);
    const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nothing < 0)
        return;
    saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved >= 0 && dup2(nothing, STDERR_FILENO) < 0) {
        ::close(saved);
        saved = -1;
    }
    ::close(nothing);
}

QuietStandardError::~QuietStandardError() {
    if (saved < 0)
        return;
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    ::close(saved);
}
