#include "definitions/DataFile.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string megabytes(std::uintmax_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MB";
}

} // namespace

void (*onDataFileOpened)(const std::string& path) = nullptr;

std::string describeDataFileProblem(const DataFileStatus& status, std::uintmax_t maxBytes) {
    switch (status.problem) {
    case DataFileProblem::None:
        return "";
    case DataFileProblem::Missing:
    case DataFileProblem::ReadError:
        return status.error != 0 ? std::strerror(status.error) : "it cannot be read";
    case DataFileProblem::NotRegular:
        return "it is not a regular file (a pipe, device, socket or directory)";
    case DataFileProblem::TooBig:
        return "it is larger than the " + megabytes(maxBytes) + " the game reads";
    case DataFileProblem::NeverEnds:
        return "it holds more than the size it reports, so it may never end (like a file under /proc)";
    }
    return "";
}

DataFile::~DataFile() {
    if (descriptor >= 0)
        ::close(descriptor);
}

DataFile::DataFile(DataFile&& other) noexcept
    : descriptor(std::exchange(other.descriptor, -1)), reportedSize(other.reportedSize), place(other.place),
      state(other.state) {}

DataFile& DataFile::operator=(DataFile&& other) noexcept {
    if (this != &other) {
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = std::exchange(other.descriptor, -1);
        reportedSize = other.reportedSize;
        place = other.place;
        state = other.state;
    }
    return *this;
}

std::size_t DataFile::read(void* into, std::size_t count) {
    if (descriptor < 0)
        return 0;
    if (count > reportedSize - place)
        count = static_cast<std::size_t>(reportedSize - place);
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(descriptor, bytes + got, count - got, static_cast<off_t>(place + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            state = {DataFileProblem::ReadError, errno};
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    place += got;
    return got;
}

bool DataFile::seek(std::uintmax_t offset) {
    if (descriptor < 0 || offset > reportedSize)
        return false;
    place = offset;
    return true;
}

bool DataFile::endsWhereReported() {
    if (descriptor < 0)
        return false;
    // A whole number of 8-byte words: some files under /proc refuse any other read.
    unsigned char beyond[64];
    while (true) {
        const ssize_t n = ::pread(descriptor, beyond, sizeof beyond, static_cast<off_t>(reportedSize));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            return true;
        state = n < 0 ? DataFileStatus{DataFileProblem::ReadError, errno}
                      : DataFileStatus{DataFileProblem::NeverEnds, 0};
        return false;
    }
}

// Non-blocking, so that opening a pipe with no writer returns at once; the type and size are
// then read from the open descriptor, so nothing can be swapped in between the test and the
// read. A file that is not plain shows at once: past its reported size it still has bytes.
DataFile DataFile::openQuietly(const std::string& path, std::uintmax_t maxBytes) {
    DataFile file;
    const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) {
        file.state = {DataFileProblem::Missing, errno};
        return file;
    }
    file.descriptor = opened;
    struct stat facts {};
    if (fstat(opened, &facts) != 0 || !S_ISREG(facts.st_mode))
        file.state = {DataFileProblem::NotRegular, 0};
    else if (facts.st_size < 0 || static_cast<std::uintmax_t>(facts.st_size) > maxBytes)
        file.state = {DataFileProblem::TooBig, 0};
    else
        file.reportedSize = static_cast<std::uintmax_t>(facts.st_size);
    if (file.state.problem == DataFileProblem::None && file.endsWhereReported())
        return file;
    ::close(std::exchange(file.descriptor, -1));
    return file;
}

DataFile openDataFile(const std::string& path, std::uintmax_t maxBytes) {
    DataFile file = DataFile::openQuietly(path, maxBytes);
    if (file && onDataFileOpened != nullptr)
        onDataFileOpened(path);
    return file;
}

DataFileStatus dataFileStatus(const std::string& path, std::uintmax_t maxBytes) {
    return DataFile::openQuietly(path, maxBytes).status();
}

std::string whyDataFileUnreadable(const std::string& path, std::uintmax_t maxBytes) {
    const std::string why = describeDataFileProblem(dataFileStatus(path, maxBytes), maxBytes);
    // It opens now: it failed while it was read, or changed since.
    return why.empty() ? "it could not be read whole" : why;
}

bool readWholeDataFile(const std::string& path, std::uintmax_t maxBytes, std::string& bytes,
                       DataFileStatus* status) {
    bytes.clear();
    DataFile file = openDataFile(path, maxBytes);
    bool whole = static_cast<bool>(file);
    if (whole) {
        // The size is known: one allocation, then one read past it to prove the end.
        bytes.resize(static_cast<std::size_t>(file.size()));
        bytes.resize(file.read(bytes.data(), bytes.size()));
        whole = file.status().problem == DataFileProblem::None && file.endsWhereReported();
    }
    if (status != nullptr)
        *status = file.status();
    if (!whole)
        bytes.clear();
    return whole;
}
