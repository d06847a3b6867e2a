#pragma once
#include <string>
#include <string_view>

// A word as a person typed it (a file name, an option's value), quoted, with tabs and other
// unprintable bytes made visible, so a message never sends raw control bytes to a terminal.
inline std::string shown(std::string_view word) {
    static const char* const hex = "0123456789abcdef";
    std::string text = "\"";
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            text += "\\t";
        } else if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            text += "\\x";
            text += hex[byte >> 4];
            text += hex[byte & 15];
        } else {
            text += c;
        }
    }
    return text + "\"";
}
