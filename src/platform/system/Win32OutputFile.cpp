#include "platform/OutputFile.h"
#include "platform/system/Win32Names.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

HANDLE handleOf(std::intptr_t descriptor) {
    return reinterpret_cast<HANDLE>(descriptor);
}

std::string systemReason(DWORD code) {
    return std::strerror(errorNumberOf(code));
}

constexpr DWORD Everyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// What is at a name, looked at without following a link.
struct Seen {
    bool present = false;
    DWORD attributes = 0;
    DWORD error = 0;
};

Seen look(const std::wstring& name) {
    Seen seen;
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        seen.error = GetLastError();
        return seen;
    }
    seen.present = true;
    seen.attributes = attributes;
    return seen;
}

bool missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND;
}

// Why a name is never written, judged before anything is opened; empty when it may be.
std::string nameRefusal(const std::string& fileName, bool streams) {
    switch (specialNameOf(fileName)) {
    case SpecialName::Device:
        return streams ? "" : "it is a device, not a regular file";
    case SpecialName::DataStream:
        return "it names an alternate data stream (FILE:STREAM), not a regular file";
    case SpecialName::None:
        break;
    }
    return "";
}

std::string refusal(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return "it is a symbolic link";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "it is a directory";
    return "it is not a regular file";
}

// A disk file, a pipe, a console or another device: what the open handle is.
bool isStream(HANDLE file) {
    const DWORD type = GetFileType(file);
    return type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

bool isRegular(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information) &&
           (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool writeAll(HANDLE file, std::string_view bytes, std::string& why) {
    while (!bytes.empty()) {
        const DWORD asked = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), asked, &written, nullptr)) {
            why = systemReason(GetLastError());
            return false;
        }
        if (written == 0) {
            why = std::strerror(EIO);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// A fresh temporary beside fileName, created only where nothing is, so nothing planted there
// is ever written through.
HANDLE openFreshTemporary(const std::string& fileName, std::wstring& temporary, std::string& why) {
    static std::atomic<unsigned> counter{0};
    DWORD code = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = wideName(fileName + "." + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter++) + ".part");
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            break;
    }
    why = systemReason(code);
    return INVALID_HANDLE_VALUE;
}

} // namespace

bool replaceFile(const std::string& fileName, std::string_view bytes, std::string& why) {
    if (why = nameRefusal(fileName, false); !why.empty())
        return false;
    const std::wstring target = wideName(fileName);
    const Seen seen = look(target);
    if (!seen.present && !missing(seen.error)) {
        why = systemReason(seen.error);
        return false;
    }
    if (seen.present && (seen.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        why = refusal(seen.attributes);
        return false;
    }
    std::wstring temporary;
    const HANDLE file = openFreshTemporary(fileName, temporary, why);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = writeAll(file, bytes, why);
    if (written && !FlushFileBuffers(file)) {
        why = systemReason(GetLastError());
        written = false;
    }
    CloseHandle(file);
    if (written) {
        // Over the regular file that was there; onto a free name only when it is still free.
        if (!MoveFileExW(temporary.c_str(), target.c_str(), seen.present ? MOVEFILE_REPLACE_EXISTING : 0)) {
            const DWORD code = GetLastError();
            why = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS
                      ? "something else was put there while it was written"
                      : systemReason(code);
            written = false;
        }
    }
    if (!written)
        DeleteFileW(temporary.c_str());
    return written;
}

OutputFile::~OutputFile() {
    std::string ignored;
    close(ignored);
}

bool OutputFile::open(const std::string& fileName, Accept accept, std::string& why) {
    if (!close(why))
        return false;
    name = fileName;
    madeHere = false;
    const bool streams = accept == Accept::RegularFileOrStream;
    if (why = nameRefusal(fileName, streams); !why.empty())
        return false;
    const std::wstring wide = wideName(fileName);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const Seen seen = look(wide);
        HANDLE file = INVALID_HANDLE_VALUE;
        if (!seen.present) {
            if (!missing(seen.error) && specialNameOf(fileName) == SpecialName::None) {
                why = systemReason(seen.error);
                return false;
            }
            if (specialNameOf(fileName) == SpecialName::Device) {
                // A device or a pipe of the device space: opened as it is, never created.
                file = CreateFileW(wide.c_str(), GENERIC_WRITE, Everyone, nullptr, OPEN_EXISTING, 0, nullptr);
            } else {
                // Made here, so it may be removed again by this run alone (DELETE).
                file = CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, Everyone, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
                if (file == INVALID_HANDLE_VALUE &&
                    (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS))
                    continue;
                madeHere = file != INVALID_HANDLE_VALUE;
            }
        } else if (seen.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // Followed only to a stream: a link to a file is how data gets destroyed.
            if (!streams) {
                why = refusal(seen.attributes);
                return false;
            }
            file = CreateFileW(wide.c_str(), GENERIC_WRITE, Everyone, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE && !isStream(file)) {
                CloseHandle(file);
                why = "it is a symbolic link; only a pipe or a device is written through one";
                return false;
            }
        } else if (seen.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            why = refusal(seen.attributes);
            return false;
        } else {
            file = CreateFileW(wide.c_str(), GENERIC_WRITE, Everyone, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        }
        if (file == INVALID_HANDLE_VALUE) {
            why = systemReason(GetLastError());
            madeHere = false;
            return false;
        }
        if (!(isRegular(file) || (streams && isStream(file)))) {
            why = "it is not a regular file";
            CloseHandle(file);
            madeHere = false;
            return false;
        }
        descriptor = reinterpret_cast<std::intptr_t>(file);
        return true;
    }
    why = "it keeps changing";
    return false;
}

bool OutputFile::lock(std::string& why) {
    const HANDLE file = handleOf(descriptor);
    if (GetFileType(file) != FILE_TYPE_DISK)
        return true;
    // Windows' locks are mandatory: one byte far past any end is locked, so other programs may
    // still read the file while this one writes it, and a second writer is told.
    OVERLAPPED beyond{};
    beyond.Offset = 0xFFFFFFFEu;
    beyond.OffsetHigh = 0x7FFFFFFFu;
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &beyond))
        return true;
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) {
        why = "another program is writing it";
        return false;
    }
    // No locks on this file system: it is written unlocked.
    if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION)
        return true;
    why = systemReason(code);
    return false;
}

bool OutputFile::truncate(std::uintmax_t size, std::string& why) {
    const HANDLE file = handleOf(descriptor);
    if (!isRegular(file))
        return true;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) {
        why = systemReason(GetLastError());
        return false;
    }
    return true;
}

bool OutputFile::write(std::string_view bytes, std::string& why) {
    return writeAll(handleOf(descriptor), bytes, why);
}

bool OutputFile::close(std::string& why) {
    if (descriptor < 0)
        return true;
    const HANDLE file = handleOf(descriptor);
    descriptor = -1;
    if (!CloseHandle(file)) {
        why = systemReason(GetLastError());
        return false;
    }
    return true;
}

void OutputFile::discard() {
    if (descriptor >= 0 && madeHere) {
        // The very file this run made, whatever its name leads to now: removed when closed.
        FILE_DISPOSITION_INFO remove{};
        remove.DeleteFile = TRUE;
        SetFileInformationByHandle(handleOf(descriptor), FileDispositionInfo, &remove, sizeof remove);
    }
    madeHere = false;
    std::string ignored;
    close(ignored);
}
