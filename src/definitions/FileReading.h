#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Files read by offset, for the data-file opener: declared here, implemented by each system's
// platform code (platform/system/PosixFileReading.cpp). Opening never waits, whatever the name leads
// to (a pipe without a writer, a device), and never makes a terminal the controlling one.
// Failures give a C error number (errno's values), so every system words them alike.
using FileHandle = std::intptr_t;
inline constexpr FileHandle NoFileHandle = -1;

struct OpenFileFacts {
    // Not a pipe, device, socket or directory.
    bool regular = false;
    // As the system reports it, which for some files (under /proc) is not what they hold.
    std::intmax_t size = 0;
};

FileHandle openFileForReading(const std::string& path, int& error);
bool factsOfOpenFile(FileHandle file, OpenFileFacts& facts);
// Up to `count` bytes from `offset`: 0 at the end, -1 with `error` when the read fails.
std::ptrdiff_t readFileAt(FileHandle file, void* into, std::size_t count, std::uintmax_t offset, int& error);
void closeFile(FileHandle file);
