#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Files a person names for the game and its tools to write: shots, screenshots, traces, key
// scripts, recordings. Such a name may lead anywhere (a link into the game's data, a device
// node, a pipe, a file another program is writing), so every output obeys the same rules:
// only a regular file is ever replaced or emptied, nothing is written through a link to a
// regular file, and only a file this run created is ever removed. A failure comes back as
// its reason, worded for a person ("it is a symbolic link", or the system's own text).

// Writes `bytes` as the whole of `fileName`: into a new temporary beside it (a fresh name,
// created exclusively, so never through a planted link), renamed over the name only when
// nothing is there or a regular file that is not a link. A failure keeps what was there.
bool replaceFile(const std::string& fileName, std::string_view bytes, std::string& why);

// One output written as it goes. Opening never empties anything: a run that cannot start
// leaves what was there.
class OutputFile {
  public:
    enum class Accept {
        // A new file or an existing regular file, never through a link, never a pipe or device.
        RegularFile,
        // As RegularFile, or a pipe or a character device (standard output, a terminal, a shell's
        // process substitution), also through links: streams have nothing to empty.
        RegularFileOrStream,
    };

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens (or creates) `fileName` for writing. A pipe without a reader yet is waited for.
    bool open(const std::string& fileName, Accept accept, std::string& why);
    bool isOpen() const { return descriptor >= 0; }
    // This open made the file: nothing was there before.
    bool created() const { return madeHere; }

    // Takes an exclusive lock on the file, never waiting: false with `why` when another
    // program holds one. Where the file system has no locks, nothing is locked.
    bool lock(std::string& why);
    // Cuts a regular file to `size` bytes; a stream is left as it is.
    bool truncate(std::uintmax_t size, std::string& why);
    // Writes all of `bytes`, or false with `why`; part of them may have been written.
    bool write(std::string_view bytes, std::string& why);
    // Closes; false with `why` when the system reports a failed write only now.
    bool close(std::string& why);
    // Closes, and removes the file when this open created it and the name still leads to it.
    void discard();

  private:
    // A file descriptor, or on Windows a HANDLE.
    std::intptr_t descriptor = -1;
    bool madeHere = false;
    std::string name;
    // Which file the open made, so that a discard never removes another put in its place.
    std::uint64_t device{};
    std::uint64_t inode{};
};
