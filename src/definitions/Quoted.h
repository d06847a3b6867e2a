#pragma once
#include <string>
#include <string_view>

// A word or file name as written, in double quotes, for a message on a terminal: tabs, other
// control bytes, quotes and backslashes are escaped, so that nothing in the data can move the
// cursor, change colours or pass for the end of the word.
std::string quotedText(std::string_view text);
