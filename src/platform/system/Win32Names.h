#pragma once
// What the Windows side of the platform shares: UTF-8 names to the wide API and back, the
// system's error codes as C error numbers, and the names that lead somewhere other than a
// plain file (devices, alternate data streams).
#include <string>

#include <windows.h>

// UTF-8 (as every name in the game is) to the UTF-16 the wide API takes, and back.
std::wstring wideName(const std::string& utf8);
std::string utf8Name(const std::wstring& wide);

// GetLastError's code as the C error number the game words (ENOENT, EACCES...).
int errorNumberOf(DWORD code);

enum class SpecialName {
    None,
    // NUL, CON, COM1, LPT1... in any folder and with any extension, and names in the device
    // space (\\.\pipe\..., \\.\COM1): opening one talks to a device or a pipe.
    Device,
    // file:stream, a second body of a file that dir and Explorer do not show.
    DataStream,
};

// Judged from the name alone, before anything is opened.
SpecialName specialNameOf(const std::string& path);
