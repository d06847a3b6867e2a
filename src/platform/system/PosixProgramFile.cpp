#include "platform/system/ProgramFile.h"

#include <filesystem>
#include <system_error>

// Linux names it under /proc; other systems of the family have their own ways.
std::string programFile() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.string();
}
