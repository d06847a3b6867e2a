#pragma once
#include <string>
#include <string_view>

// Room files' words fold case only from A to Z: other bytes (UTF-8 included) must match as
// written, whatever the system's locale says.
inline char foldedAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lowerCase(std::string_view word) {
    std::string lower(word);
    for (char& c : lower)
        c = foldedAscii(c);
    return lower;
}
