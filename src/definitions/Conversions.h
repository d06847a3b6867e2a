#pragma once
#include <cstdint>
#include <string_view>

// How well a word matched the number grammar. The game reads every word the same way
// whatever its form; the room checker uses the form to point authors at typos.
enum class NumberForm {
    Clean,           // the whole word is a number
    NoNumber,        // the word does not begin with a number: it reads as 0
    ExtraCharacters, // a number with leading white space or trailing characters
};

// Whole numbers by the atoi rules: leading white space, an optional sign, decimal digits;
// stops at the first non-digit. Overflow wraps round in 32 bits ("99999999999" reads as
// 1215752191). No digits read as 0.
std::int32_t readInteger(std::string_view word, NumberForm* form = nullptr);

// Decimals by the atof rules: leading white space, an optional sign, digits with an
// optional point, an optional exponent. Hex, "inf" and "nan" are not numbers here. The
// value is the correctly rounded double; beyond the double range it is +-infinity.
double readDecimal(std::string_view word, NumberForm* form = nullptr);

// The double narrowed to float with round-to-nearest; beyond float range +-infinity.
float narrowToFloat(double value);

// readDecimal narrowed to float: what a decimal value of a definition file stores.
float readFloat(std::string_view word, NumberForm* form = nullptr);
