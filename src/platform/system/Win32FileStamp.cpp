#include "platform/system/FileStamp.h"
#include "platform/system/Win32Names.h"

FileStamp fileStampOf(const std::string& path) {
    FileStamp stamp;
    if (specialNameOf(path) != SpecialName::None)
        return stamp;
    // Opened for nothing but its facts: links followed, folders too.
    const HANDLE file =
        CreateFileW(wideName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return stamp;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file, &information)) {
        stamp.exists = true;
        // Hundreds of nanoseconds since 1601, which orders the same way.
        const std::uint64_t written =
            (static_cast<std::uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
            information.ftLastWriteTime.dwLowDateTime;
        stamp.modifiedNanoseconds = static_cast<std::int64_t>(written) * 100;
        stamp.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) |
                                               information.nFileSizeLow);
        stamp.identity =
            ((static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow) ^
            (static_cast<std::uint64_t>(information.dwVolumeSerialNumber) << 48);
    }
    CloseHandle(file);
    return stamp;
}
