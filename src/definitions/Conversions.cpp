#include "definitions/Conversions.h"

#include "definitions/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The character at `i`, or none past the word's end: a word is a view into a longer line,
// and what follows it there is no part of its number.
char charAt(std::string_view word, std::size_t i) {
    return i < word.size() ? word[i] : '\0';
}

// The C locale's white space, as atoi and atof skip it.
std::size_t skipSpace(std::string_view word) {
    return std::min(word.find_first_not_of(" \t\n\v\f\r"), word.size());
}

void setForm(NumberForm* form, bool anyDigits, std::size_t start, std::size_t end, std::size_t size) {
    if (form == nullptr)
        return;
    if (!anyDigits)
        *form = NumberForm::NoNumber;
    else if (start == 0 && end == size)
        *form = NumberForm::Clean;
    else
        *form = NumberForm::ExtraCharacters;
}

} // namespace

std::int32_t readInteger(std::string_view word, NumberForm* form) {
    const std::size_t start = skipSpace(word);
    std::size_t i = start;
    const bool negative = charAt(word, i) == '-';
    if (negative || charAt(word, i) == '+')
        ++i;
    // Unsigned arithmetic wraps by definition; signed overflow would not.
    std::uint32_t value = 0;
    const std::size_t digitsStart = i;
    while (isDigit(charAt(word, i))) {
        value = value * 10u + static_cast<std::uint32_t>(word[i] - '0');
        ++i;
    }
    const bool anyDigits = i > digitsStart;
    setForm(form, anyDigits, start, i, word.size());
    if (!anyDigits)
        return 0;
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value); // modular since C++20
}

double readDecimal(std::string_view word, NumberForm* form) {
    const std::size_t start = skipSpace(word);
    std::size_t i = start;
    const bool negative = charAt(word, i) == '-';
    if (negative || charAt(word, i) == '+')
        ++i;
    const std::size_t mantissaStart = i;
    std::size_t integerDigits = 0;
    while (isDigit(charAt(word, i))) {
        ++i;
        ++integerDigits;
    }
    std::size_t fractionDigits = 0;
    if (charAt(word, i) == '.') {
        std::size_t j = i + 1;
        while (isDigit(charAt(word, j))) {
            ++j;
            ++fractionDigits;
        }
        // A lone point is no number; "5." and ".5" are, as atof reads them.
        if (integerDigits + fractionDigits > 0)
            i = j;
    }
    if (integerDigits + fractionDigits == 0) {
        setForm(form, false, start, start, word.size());
        return 0.0;
    }

    // The exponent counts only when at least one digit follows the letter and sign.
    if (charAt(word, i) == 'e' || charAt(word, i) == 'E') {
        std::size_t j = i + 1;
        if (charAt(word, j) == '+' || charAt(word, j) == '-')
            ++j;
        if (isDigit(charAt(word, j))) {
            while (isDigit(charAt(word, j)))
                ++j;
            i = j;
        }
    }
    setForm(form, true, start, i, word.size());

    // Beyond the double range either way the text reads as infinity or zero.
    const double value = decimalTextValue(word.substr(mantissaStart, i - mantissaStart));
    return negative ? -value : value;
}

float narrowToFloat(double value) {
    // Halfway between FLT_MAX and the next power of two: from there on, round-to-nearest
    // gives infinity, and a plain conversion would be undefined.
    constexpr double overflowEdge = 0x1.ffffffp127;
    if (value >= overflowEdge)
        return std::numeric_limits<float>::infinity();
    if (value <= -overflowEdge)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

float readFloat(std::string_view word, NumberForm* form) {
    return narrowToFloat(readDecimal(word, form));
}
