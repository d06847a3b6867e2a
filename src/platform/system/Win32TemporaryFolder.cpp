#include "platform/system/TemporaryFolder.h"
#include "platform/system/Win32Names.h"

#include <atomic>
#include <cerrno>

bool makeUniqueFolder(std::string& pattern, int& error) {
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<std::uint64_t> counter{0};
    if (pattern.size() < 6 || pattern.compare(pattern.size() - 6, 6, "XXXXXX") != 0) {
        error = EINVAL;
        return false;
    }
    // Creating the folder is the test: a name someone else took is simply another try.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::uint64_t seed = (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ GetTickCount64() ^
                             (counter++ * 0x9E3779B97F4A7C15ull);
        for (std::size_t i = pattern.size() - 6; i < pattern.size(); ++i) {
            pattern[i] = Letters[seed % 36];
            seed /= 36;
        }
        if (CreateDirectoryW(wideName(pattern).c_str(), nullptr))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            error = errorNumberOf(GetLastError());
            return false;
        }
    }
    error = EEXIST;
    return false;
}
