#include "definitions/NumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

// The game's own number text must give the bytes the traces were written with: those of
// libstdc++'s std::to_chars and std::from_chars, compared here where they exist.
#if defined(__GLIBCXX__) && defined(__cpp_lib_to_chars)

namespace {

template <class Real> std::string standardText(Real value) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

template <class Real> std::string ourText(Real value) {
    char text[MaxShortestTextLength];
    return std::string(text, writeShortestText(text, value));
}

template <class Real, class Bits> Real fromBits(Bits bits) {
    Real value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Every kind of float the game writes and a few it should never meet: powers of ten on both
// sides of the fixed/scientific tie, the design's step and speeds, the range's ends.
std::vector<float> edgeFloats() {
    using Limits = std::numeric_limits<float>;
    std::vector<float> values = {0.0f, 0.15f,       0.016666668f, 29.0f,
                                 8.1f, 1.0f / 3.0f, 123456790.0f, 16777216.0f};
    values.insert(values.end(), {Limits::max(), Limits::min(), Limits::denorm_min(), Limits::infinity(),
                                 Limits::quiet_NaN()});
    for (int power = -45; power <= 38; ++power)
        for (const float scale : {1.0f, 1.5f, 9.999999f, 1.2345678f})
            values.push_back(std::pow(10.0f, static_cast<float>(power)) * scale);
    for (std::uint32_t whole = 1; whole < 1u << 25; whole = whole * 3 + 1)
        values.push_back(static_cast<float>(whole));
    return values;
}

TEST(NumberText, FloatsAreWrittenAsTheStandardLibraryWritesThem) {
    for (const float value : edgeFloats()) {
        ASSERT_EQ(ourText(value), standardText(value)) << "bits " << std::hexfloat << value;
        ASSERT_EQ(ourText(-value), standardText(-value)) << "bits " << std::hexfloat << -value;
    }
    // A few million floats spread over every exponent, and a dense walk through the room's range.
    std::mt19937 bits(20261208);
    for (int i = 0; i < 3'000'000; ++i) {
        const float value = fromBits<float>(static_cast<std::uint32_t>(bits()));
        ASSERT_EQ(ourText(value), standardText(value)) << std::hexfloat << value;
    }
    for (float value = 0.0f; value < 64.0f; value = std::nextafter(value, 64.0f) + 0.0001f)
        ASSERT_EQ(ourText(value), standardText(value)) << std::hexfloat << value;
}

// libstdc++ leaves the value alone past the double range and says so; the game's rule there
// is infinity above and zero below.
double standardValue(const std::string& text) {
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    if (result.ec == std::errc::result_out_of_range)
        return std::strtod(text.c_str(), nullptr) == 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
    return value;
}

std::string randomDecimal(std::mt19937& random) {
    std::string text;
    const int digits = 1 + static_cast<int>(random() % 30);
    const int point = static_cast<int>(random() % (digits + 2)) - 1;
    for (int i = 0; i < digits; ++i) {
        if (i == point)
            text += '.';
        text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 2 != 0) {
        text += random() % 2 != 0 ? 'e' : 'E';
        if (random() % 3 == 0)
            text += random() % 2 != 0 ? '-' : '+';
        text += std::to_string(random() % 400);
    }
    return text;
}

TEST(NumberText, DecimalsReadAsTheStandardLibraryReadsThem) {
    const char* const edges[] = {
        "0", "0.0", ".5", "5.", "0.15", "0.016666668", "1e308", "1.7976931348623157e308", "1.8e308",
        "2.4703282292062327e-324", "2.4703282292062328e-324", "4.9406564584124654e-324", "1e-400",
        "99999999999999999999999999999999999e999999999", "0.000000000000000000000000000000001e-300",
        // Halfway between two floats: the double is exact, narrowing rounds it to even.
        "0.1500000059604644775390625", "16777217", "3.4028235677973366e38"};
    for (const char* text : edges) {
        const double expected = standardValue(text);
        const double got = decimalTextValue(text);
        ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << text << ": " << got << " for " << expected;
    }
    std::mt19937 random(30);
    for (int i = 0; i < 2'000'000; ++i) {
        const std::string text = randomDecimal(random);
        const double expected = standardValue(text);
        const double got = decimalTextValue(text);
        ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << text << ": " << got << " for " << expected;
    }
}

// Whole words as the key scripts and the content sources hold them: the same yes or no, and
// the same value, as std::from_chars, sign, "inf", junk and the range's edges included.
template <class Real> void expectReadLikeTheStandard(const std::string& text, bool exponentAllowed) {
    Real expected = 7;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(
        text.data(), end, expected, exponentAllowed ? std::chars_format::general : std::chars_format::fixed);
    const bool standardRead = result.ec == std::errc() && result.ptr == end;
    Real got = 7;
    ASSERT_EQ(readNumberText(text, got, exponentAllowed), standardRead) << text;
    if (standardRead)
        ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << text;
    else
        ASSERT_EQ(got, 7) << text;
}

TEST(NumberText, WordsReadAsTheStandardLibraryReadsThem) {
    const char* const edges[] = {"",
                                 "-",
                                 "+1",
                                 "1e5",
                                 "-0",
                                 "inf",
                                 "-inf",
                                 "nan",
                                 "infinity",
                                 "1.5x",
                                 " 1",
                                 "0x10",
                                 "1e-46",
                                 "1e-45",
                                 "1.4e-45",
                                 "7e-46",
                                 "3.4028235e38",
                                 "3.4028236e38",
                                 "1e39",
                                 "2.4703282292062327e-324",
                                 "1e309",
                                 ".",
                                 "5.",
                                 ".5",
                                 "1e",
                                 "1e+"};
    for (const char* text : edges) {
        for (const bool exponentAllowed : {true, false}) {
            expectReadLikeTheStandard<float>(text, exponentAllowed);
            expectReadLikeTheStandard<double>(text, exponentAllowed);
        }
    }
    std::mt19937 random(31);
    for (int i = 0; i < 1'000'000; ++i) {
        std::string text = randomDecimal(random);
        if (random() % 4 == 0)
            text.insert(0, "-");
        expectReadLikeTheStandard<float>(text, true);
        expectReadLikeTheStandard<double>(text, i % 2 == 0);
    }
}

} // namespace

#endif
