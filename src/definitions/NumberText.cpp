#include "definitions/NumberText.h"

// Both libraries are used header-only, so every target compiles the same code.
#define FMT_HEADER_ONLY
#include <fast_float/fast_float.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

double decimalTextValue(std::string_view digits) {
    double value = 0.0;
    fast_float::from_chars(digits.data(), digits.data() + digits.size(), value,
                           fast_float::chars_format::general);
    return value;
}

namespace {

// Infinity or zero from digits that were not: the number is beyond the type's range.
template <class Real> bool outOfRange(std::string_view word, Real value) {
    const std::size_t exponent = word.find_first_of("eE");
    const std::string_view mantissa = word.substr(0, exponent);
    if (std::isinf(value))
        return mantissa.find_first_of("iI") == std::string_view::npos;
    return value == 0 && mantissa.find_first_of("123456789") != std::string_view::npos;
}

template <class Real> bool readNumber(std::string_view word, Real& value, bool exponentAllowed) {
    const char* end = word.data() + word.size();
    Real read = 0;
    const auto result = fast_float::from_chars(word.data(), end, read,
                                               exponentAllowed ? fast_float::chars_format::general
                                                               : fast_float::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != end || outOfRange(word, read))
        return false;
    value = read;
    return true;
}

char* writeDigits(char* out, std::uint64_t number) {
    char reversed[24];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0)
        *out++ = reversed[--count];
    return out;
}

// A whole number written in full: its exact digits, as "%f" gives them.
template <class Real> char* writeWholeNumber(char* out, Real value) {
    int binaryExponent = 0;
    const Real fraction = std::frexp(value, &binaryExponent);
    constexpr int mantissaBits = std::numeric_limits<Real>::digits;
    auto whole = static_cast<unsigned __int128>(std::ldexp(fraction, mantissaBits));
    // A whole number's low bits below the point are zeros.
    const int shift = binaryExponent - mantissaBits;
    whole = shift >= 0 ? whole << shift : whole >> -shift;
    char reversed[48];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + static_cast<int>(whole % 10));
        whole /= 10;
    } while (whole != 0);
    while (count > 0)
        *out++ = reversed[--count];
    return out;
}

// `significand` times ten to `exponent`, the shortest decimal that reads back as `value`.
template <class Real> char* layOut(char* out, std::uint64_t significand, int exponent, Real value) {
    char digits[24];
    const int count = static_cast<int>(writeDigits(digits, significand) - digits);
    const int scientificExponent = exponent + count - 1;
    const int exponentDigits = std::abs(scientificExponent) >= 100 ? 3 : 2;
    const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
    int fixedLength = 0;
    if (exponent >= 0)
        fixedLength = count + exponent;
    else if (count + exponent > 0)
        fixedLength = count + 1;
    else
        fixedLength = 2 - exponent;
    if (fixedLength <= scientificLength) {
        if (exponent > 0) {
            // Shortest digits and then zeros would read back as the same number, but "%f"
            // writes the number's own digits: 123456792, not 123456790.
            return writeWholeNumber(out, value);
        }
        if (exponent == 0) {
            std::memcpy(out, digits, static_cast<std::size_t>(count));
            return out + count;
        }
        const int whole = count + exponent;
        if (whole > 0) {
            std::memcpy(out, digits, static_cast<std::size_t>(whole));
            out += whole;
            *out++ = '.';
            std::memcpy(out, digits + whole, static_cast<std::size_t>(count - whole));
            return out + (count - whole);
        }
        *out++ = '0';
        *out++ = '.';
        std::memset(out, '0', static_cast<std::size_t>(-whole));
        out += -whole;
        std::memcpy(out, digits, static_cast<std::size_t>(count));
        return out + count;
    }
    *out++ = digits[0];
    if (count > 1) {
        *out++ = '.';
        std::memcpy(out, digits + 1, static_cast<std::size_t>(count - 1));
        out += count - 1;
    }
    *out++ = 'e';
    *out++ = scientificExponent < 0 ? '-' : '+';
    const int magnitude = std::abs(scientificExponent);
    if (magnitude < 10)
        *out++ = '0';
    return writeDigits(out, static_cast<std::uint64_t>(magnitude));
}

template <class Real> char* writeShortest(char* out, Real value) {
    if (std::signbit(value))
        *out++ = '-';
    if (std::isnan(value)) {
        return std::copy_n("nan", 3, out);
    }
    if (std::isinf(value)) {
        return std::copy_n("inf", 3, out);
    }
    if (value == 0) {
        *out++ = '0';
        return out;
    }
    const Real magnitude = std::fabs(value);
    const auto decimal = fmt::detail::dragonbox::to_decimal(magnitude);
    return layOut(out, decimal.significand, decimal.exponent, magnitude);
}

} // namespace

bool readNumberText(std::string_view word, float& value, bool exponentAllowed) {
    return readNumber(word, value, exponentAllowed);
}

bool readNumberText(std::string_view word, double& value, bool exponentAllowed) {
    return readNumber(word, value, exponentAllowed);
}

char* writeShortestText(char* out, float value) {
    return writeShortest(out, value);
}

std::string shortestText(float value) {
    char text[MaxShortestTextLength];
    return std::string(text, writeShortestText(text, value));
}
