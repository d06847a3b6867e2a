#pragma once
#include <string>
#include <string_view>

// A word or file name as a message shows it: in double quotes, with tabs, quotes, backslashes
// and other unprintable bytes written as escapes, so a hostile name cannot drive the terminal.
std::string shown(std::string_view word);
