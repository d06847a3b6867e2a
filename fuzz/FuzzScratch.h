#pragma once
#include "platform/system/TemporaryFolder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

// A scratch directory for one fuzzing process, made on first use and reused by every input,
// so readers that take file paths can be fed from memory without filling the disk.
inline const std::filesystem::path& fuzzScratchDir() {
    static const std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "marrowgast-fuzz-XXXXXX").string();
        int error = 0;
        if (!makeUniqueFolder(pattern, error)) {
            std::fprintf(stderr, "%s: %s\n", pattern.c_str(), std::strerror(error));
            std::abort();
        }
        std::filesystem::path made = pattern;
        // Leave nothing behind when libFuzzer exits normally.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(fuzzScratchDir(), ignored);
        });
        return made;
    }();
    return dir;
}

// Writes the bytes exactly as given (replacing any earlier content) and returns the path.
inline std::string writeScratchFile(const std::filesystem::path& path, const std::uint8_t* data,
                                    std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        std::perror(path.c_str());
        std::abort();
    }
    std::fclose(file);
    return path.string();
}
