#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "definitions/FileReading.h"

// Why a data file cannot be read.
enum class DataFileProblem {
    None,
    Missing,    // the name opens nothing: missing, no permission, a link loop...
    NotRegular, // a pipe, device, socket or directory
    TooBig,     // larger than the reader's bound
    NeverEnds,  // holds more than the size it reports (a file under /proc, one still being written)
    ReadError,  // the system failed a read
};

struct DataFileStatus {
    DataFileProblem problem = DataFileProblem::None;
    // The system's error number for Missing and ReadError.
    int error = 0;
};

// Says why for a person: the system's reason, or the bound; empty for a file without problem.
std::string describeDataFileProblem(const DataFileStatus& status, std::uintmax_t maxBytes);

// A data file open for reading. Reads never go past the size the file reported when it was
// opened, so a file that grows while it is read, or never ends, costs no more than its size.
class DataFile {
  public:
    DataFile() = default;
    ~DataFile();
    DataFile(DataFile&& other) noexcept;
    DataFile& operator=(DataFile&& other) noexcept;

    explicit operator bool() const { return handle != NoFileHandle; }
    // The size the file reported when it was opened.
    std::uintmax_t size() const { return reportedSize; }
    std::uintmax_t position() const { return place; }
    // Why the file did not open, or why the last read failed.
    const DataFileStatus& status() const { return state; }

    // Up to `count` bytes from the current position, fewer at the reported size, 0 there or
    // when the read fails (status() then says why).
    std::size_t read(void* into, std::size_t count);
    // Moves the position; false, and no move, past the reported size.
    bool seek(std::uintmax_t offset);
    // Whether nothing can be read past the reported size; a file that yields more is marked
    // NeverEnds.
    bool endsWhereReported();

  private:
    friend DataFile openDataFile(const std::string& path, std::uintmax_t maxBytes);
    friend DataFileStatus dataFileStatus(const std::string& path, std::uintmax_t maxBytes);
    static DataFile openQuietly(const std::string& path, std::uintmax_t maxBytes);
    FileHandle handle = NoFileHandle;
    std::uintmax_t reportedSize = 0;
    std::uintmax_t place = 0;
    DataFileStatus state;
};

// The folder a relative data-file name is read from: the one that holds res/, so that names
// stay as the room files write them (res/...) in caches, traces and messages. The game's
// set-up sets it; empty, names are taken from the working directory.
void setDataFolder(std::string folder);
const std::string& dataFolder();
// Where `name` is on disk: in the data folder unless it is absolute.
std::string dataFilePath(const std::string& name);

// Every data file the game reads (rooms, animation sets, images, sounds, key scripts) is opened
// here, by its name in the data folder. Rooms travel as archives, so a name may lead to a pipe,
// a device, a socket, a directory or a file that never ends: those, and regular files bigger
// than the reader's bound, count as files that cannot be opened. Opening never blocks,
// whatever the name leads to.
DataFile openDataFile(const std::string& path, std::uintmax_t maxBytes);
// Told the name of every data file that opened; none unless a room author watches the files.
extern void (*onDataFileOpened)(const std::string& path);

// The whole file, read at once: false, with `bytes` empty and the reason in `status`, when it
// cannot be opened or read, or yields more than it reported.
bool readWholeDataFile(const std::string& path, std::uintmax_t maxBytes, std::string& bytes,
                       DataFileStatus* status = nullptr);

// Bounds no legal file of the game comes near; docs/ROOMS.md lists them.
constexpr std::uintmax_t MaxDefinitionFileBytes = 4u * 1024u * 1024u;
constexpr std::uintmax_t MaxSoundFileBytes = 64u * 1024u * 1024u;
constexpr std::uintmax_t MaxImageFileBytes = 512u * 1024u * 1024u;

// What a name leads to, for messages, found the way openDataFile finds it but without telling
// onDataFileOpened.
DataFileStatus dataFileStatus(const std::string& path, std::uintmax_t maxBytes);
// Why a reader could not read `path`, looked up again for a message; never empty.
std::string whyDataFileUnreadable(const std::string& path, std::uintmax_t maxBytes);
inline DataFileProblem dataFileProblem(const std::string& path, std::uintmax_t maxBytes) {
    return dataFileStatus(path, maxBytes).problem;
}
