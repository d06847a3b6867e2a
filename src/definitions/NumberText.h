#pragma once
#include <string>
#include <string_view>

// Numbers as text, byte for byte the same on every platform the game is built for: the traces
// and key scripts are the game's record from build to build, so one implementation reads and
// writes them everywhere rather than each standard library's own.

// The correctly rounded double of `digits`: decimal digits with an optional point and an
// optional exponent, already checked by the caller (no sign, no white space, no "inf").
// Beyond the double range, infinity; below its smallest denormal, zero.
double decimalTextValue(std::string_view digits);

// The whole of `word` read as a number as std::from_chars reads one: an optional minus sign,
// digits with an optional point and (unless `exponentAllowed` is false) an optional
// exponent, or "inf"/"nan". False, leaving `value` alone, when it is not one or is beyond
// the type's range either way (a nonzero number that would read as zero or infinity).
bool readNumberText(std::string_view word, float& value, bool exponentAllowed = true);
bool readNumberText(std::string_view word, double& value, bool exponentAllowed = true);

// The shortest text that reads back as exactly `value`, laid out as "%f" or "%e" would lay
// it out, whichever is shorter ("%f" on a tie): "0.15", "1e+20", "-3.4028235e+38", "inf",
// "nan". Writes at most MaxShortestTextLength characters from `out` and returns their end.
constexpr int MaxShortestTextLength = 32;
char* writeShortestText(char* out, float value);
// The same text as a string.
std::string shortestText(float value);
