#include "definitions/FileReading.h"
#include "platform/system/Win32Names.h"

#include <cerrno>

namespace {

// A name refused before anything was opened (a device, an alternate data stream): it reads
// as a file that is not regular, as a FIFO or a device does on other systems.
constexpr FileHandle RefusedName = -2;

HANDLE handleOf(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

} // namespace

FileHandle openFileForReading(const std::string& path, int& error) {
    if (specialNameOf(path) != SpecialName::None)
        return RefusedName;
    // Others may write, rename and delete it meanwhile, as on other systems; a folder opens
    // too (backup semantics), to be told apart afterwards.
    const HANDLE opened = CreateFileW(wideName(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        error = errorNumberOf(GetLastError());
        return NoFileHandle;
    }
    return reinterpret_cast<FileHandle>(opened);
}

bool factsOfOpenFile(FileHandle file, OpenFileFacts& facts) {
    if (file == RefusedName) {
        facts.regular = false;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(handleOf(file)) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handleOf(file), &information)) {
        facts.regular = false;
        return true;
    }
    facts.regular = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    facts.size = static_cast<std::intmax_t>((static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) |
                                            information.nFileSizeLow);
    return true;
}

std::ptrdiff_t readFileAt(FileHandle file, void* into, std::size_t count, std::uintmax_t offset, int& error) {
    if (file == RefusedName || file == NoFileHandle) {
        error = EBADF;
        return -1;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD asked = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
    DWORD got = 0;
    if (!ReadFile(handleOf(file), into, asked, &got, &at)) {
        const DWORD code = GetLastError();
        if (code == ERROR_HANDLE_EOF)
            return 0;
        error = errorNumberOf(code);
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

void closeFile(FileHandle file) {
    if (file != NoFileHandle && file != RefusedName)
        CloseHandle(handleOf(file));
}
