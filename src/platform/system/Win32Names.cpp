#include "platform/system/Win32Names.h"

#include <array>
#include <cerrno>
#include <string_view>

std::wstring wideName(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string utf8Name(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

int errorNumberOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PIPE_BUSY:
        return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return EINVAL;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    default:
        return EIO;
    }
}

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

// Windows keeps these names for devices in every folder: "NUL", "nul.txt", "COM1 .log".
bool isDeviceName(std::string_view name) {
    const std::size_t dot = name.find('.');
    std::string_view base = name.substr(0, dot);
    while (!base.empty() && (base.back() == ' ' || base.back() == '.'))
        base.remove_suffix(1);
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (sameLetters(base, device))
            return true;
    }
    if (base.size() >= 4 &&
        (sameLetters(base.substr(0, 3), "COM") || sameLetters(base.substr(0, 3), "LPT"))) {
        // COM0 to COM9, and the superscript ones (¹ ² ³ in UTF-8).
        const std::string_view number = base.substr(3);
        if (number.size() == 1 && number[0] >= '0' && number[0] <= '9')
            return true;
        if (number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3")
            return true;
    }
    return false;
}

} // namespace

SpecialName specialNameOf(const std::string& path) {
    std::string_view rest = path;
    // \\.\ and \\?\ lead into the device space; only \\?\C:\... and \\?\UNC\... are files.
    if (rest.size() >= 4 && isSeparator(rest[0]) && isSeparator(rest[1]) &&
        (rest[2] == '.' || rest[2] == '?') && isSeparator(rest[3])) {
        const bool question = rest[2] == '?';
        rest.remove_prefix(4);
        const bool drive = rest.size() >= 3 && rest[1] == ':' && isSeparator(rest[2]);
        const bool unc = rest.size() >= 4 && sameLetters(rest.substr(0, 3), "UNC") && isSeparator(rest[3]);
        if (!question || !(drive || unc))
            return SpecialName::Device;
        if (unc)
            rest.remove_prefix(4);
    }
    // A drive letter's colon is the only one a file's name may hold.
    if (rest.size() >= 2 && rest[1] == ':')
        rest.remove_prefix(2);
    if (rest.find(':') != std::string_view::npos)
        return SpecialName::DataStream;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        if (isDeviceName(rest.substr(start, end - start)))
            return SpecialName::Device;
        start = end + 1;
    }
    return SpecialName::None;
}
