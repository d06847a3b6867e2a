#include "definitions/FileReading.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileHandle openFileForReading(const std::string& path, int& error) {
    // Non-blocking, so that opening a pipe with no writer returns at once.
    const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0)
        error = errno;
    return opened < 0 ? NoFileHandle : opened;
}

bool factsOfOpenFile(FileHandle file, OpenFileFacts& facts) {
    struct stat status {};
    if (::fstat(static_cast<int>(file), &status) != 0)
        return false;
    facts.regular = S_ISREG(status.st_mode);
    facts.size = static_cast<std::intmax_t>(status.st_size);
    return true;
}

std::ptrdiff_t readFileAt(FileHandle file, void* into, std::size_t count, std::uintmax_t offset, int& error) {
    while (true) {
        const ssize_t n = ::pread(static_cast<int>(file), into, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        return n;
    }
}

void closeFile(FileHandle file) {
    if (file != NoFileHandle)
        ::close(static_cast<int>(file));
}
