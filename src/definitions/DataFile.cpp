#include "definitions/DataFile.h"

#include <cstring>
#include <filesystem>
#include <utility>

namespace {

std::string megabytes(std::uintmax_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MB";
}

std::string theDataFolder;

} // namespace

void (*onDataFileOpened)(const std::string& path) = nullptr;

void setDataFolder(std::string folder) {
    theDataFolder = std::move(folder);
}

const std::string& dataFolder() {
    return theDataFolder;
}

namespace {

// The system's separator: a backslash on Windows, where '/' is one too.
constexpr char Separator = static_cast<char>(std::filesystem::path::preferred_separator);

bool isSeparator(char c) {
    return c == '/' || c == Separator;
}

// Whether `name` says where it is by itself: "/x", and on Windows also with a backslash or a
// drive letter ("C:x").
// Told by its bytes: names are joined as bytes too, since std::filesystem would decode them
// in Windows' code page and garble UTF-8 (or throw on a byte that is no character).
bool namesItsOwnPlace(const std::string& name) {
    if (isSeparator(name[0]))
        return true;
    const bool driveLetters = Separator == '\\';
    const char first = name[0];
    return driveLetters && name.size() >= 2 && name[1] == ':' &&
           ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
}

} // namespace

std::string dataFilePath(const std::string& name) {
    if (name.empty() || theDataFolder.empty() || namesItsOwnPlace(name))
        return name;
    if (isSeparator(theDataFolder.back()))
        return theDataFolder + name;
    return theDataFolder + Separator + name;
}

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
    closeFile(handle);
}

DataFile::DataFile(DataFile&& other) noexcept
    : handle(std::exchange(other.handle, NoFileHandle)), reportedSize(other.reportedSize), place(other.place),
      state(other.state) {}

DataFile& DataFile::operator=(DataFile&& other) noexcept {
    if (this != &other) {
        closeFile(handle);
        handle = std::exchange(other.handle, NoFileHandle);
        reportedSize = other.reportedSize;
        place = other.place;
        state = other.state;
    }
    return *this;
}

std::size_t DataFile::read(void* into, std::size_t count) {
    if (handle == NoFileHandle)
        return 0;
    if (count > reportedSize - place)
        count = static_cast<std::size_t>(reportedSize - place);
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t got = 0;
    while (got < count) {
        int error = 0;
        const std::ptrdiff_t n = readFileAt(handle, bytes + got, count - got, place + got, error);
        if (n < 0)
            state = {DataFileProblem::ReadError, error};
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    place += got;
    return got;
}

bool DataFile::seek(std::uintmax_t offset) {
    if (handle == NoFileHandle || offset > reportedSize)
        return false;
    place = offset;
    return true;
}

bool DataFile::endsWhereReported() {
    if (handle == NoFileHandle)
        return false;
    // A whole number of 8-byte words: some files under /proc refuse any other read.
    unsigned char beyond[64];
    int error = 0;
    const std::ptrdiff_t n = readFileAt(handle, beyond, sizeof beyond, reportedSize, error);
    if (n == 0)
        return true;
    state = n < 0 ? DataFileStatus{DataFileProblem::ReadError, error}
                  : DataFileStatus{DataFileProblem::NeverEnds, 0};
    return false;
}

// The opening never waits; the type and size are then read from the open file, so nothing
// can be swapped in between the test and the read. A file that is not plain shows at once:
// past its reported size it still has bytes.
DataFile DataFile::openQuietly(const std::string& path, std::uintmax_t maxBytes) {
    DataFile file;
    int error = 0;
    file.handle = openFileForReading(dataFilePath(path), error);
    if (file.handle == NoFileHandle) {
        file.state = {DataFileProblem::Missing, error};
        return file;
    }
    OpenFileFacts facts;
    if (!factsOfOpenFile(file.handle, facts) || !facts.regular)
        file.state = {DataFileProblem::NotRegular, 0};
    else if (facts.size < 0 || static_cast<std::uintmax_t>(facts.size) > maxBytes)
        file.state = {DataFileProblem::TooBig, 0};
    else
        file.reportedSize = static_cast<std::uintmax_t>(facts.size);
    if (file.state.problem == DataFileProblem::None && file.endsWhereReported())
        return file;
    closeFile(std::exchange(file.handle, NoFileHandle));
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
