#include "definitions/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Non-blocking, so that opening a pipe with no writer returns at once; the type is then
// read from the open descriptor, so nothing can be swapped in between the test and the read.
int openChecked(const std::string& path, std::uintmax_t maxBytes, DataFileProblem& problem) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        problem = DataFileProblem::Missing;
        return -1;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = DataFileProblem::NotRegular;
    } else if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        problem = DataFileProblem::TooBig;
    } else {
        problem = DataFileProblem::None;
        return descriptor;
    }
    ::close(descriptor);
    return -1;
}

} // namespace

void (*onDataFileOpened)(const std::string& path) = nullptr;

std::FILE* openDataFile(const std::string& path, std::uintmax_t maxBytes) {
    DataFileProblem problem = DataFileProblem::None;
    const int descriptor = openChecked(path, maxBytes, problem);
    if (descriptor < 0)
        return nullptr;
    std::FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr)
        ::close(descriptor);
    else if (onDataFileOpened != nullptr)
        onDataFileOpened(path);
    return file;
}

DataFileProblem dataFileProblem(const std::string& path, std::uintmax_t maxBytes) {
    DataFileProblem problem = DataFileProblem::None;
    const int descriptor = openChecked(path, maxBytes, problem);
    if (descriptor >= 0)
        ::close(descriptor);
    return problem;
}
