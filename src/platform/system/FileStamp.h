#pragma once
#include <cstdint>
#include <string>

// What a file is now, to notice that it changed on disk: when it was last written, its size
// and which file of its disk it is (an edit saved as a new file is another file).
struct FileStamp {
    bool exists = false;
    // Of a file that is not there, nothing is known: all zero, so that any two such stamps match.
    std::int64_t modifiedNanoseconds{};
    std::int64_t size{};
    std::uint64_t identity{};
    bool operator==(const FileStamp&) const = default;
};

// Links followed; `exists` false when the name leads nowhere the system can look at.
FileStamp fileStampOf(const std::string& path);
