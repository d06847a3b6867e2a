#include "definitions/Conversions.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace {

TEST(ReadInteger, ReadsLeadingDigitsAndIgnoresTheRestOrReadsZero) {
    NumberForm form = NumberForm::Clean;
    EXPECT_EQ(readInteger("12abc", &form), 12);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
    EXPECT_EQ(readInteger("2.75", &form), 2);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
    EXPECT_EQ(readInteger("27", &form), 27);
    EXPECT_EQ(form, NumberForm::Clean);
    EXPECT_EQ(readInteger("-7"), -7);
    EXPECT_EQ(readInteger("+5"), 5);
    EXPECT_EQ(readInteger("\t 5", &form), 5);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
    // Words without leading digits read zero.
    for (const char* word : {"abc", "", "-", "+", "inf", "nan", "--5", "+-5", "x12"}) {
        EXPECT_EQ(readInteger(word, &form), 0) << word;
        EXPECT_EQ(form, NumberForm::NoNumber) << word;
    }
    // Hexadecimal is not a number form of ours: the 0 before the x is all there is.
    EXPECT_EQ(readInteger("0x1A", &form), 0);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
}

TEST(ReadInteger, OverflowWrapsRoundIn32Bits) {
    EXPECT_EQ(readInteger("99999999999"), 1215752191);
    EXPECT_EQ(readInteger("2147483647"), 2147483647);
    EXPECT_EQ(readInteger("2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(readInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(readInteger("4294967296"), 0);
    EXPECT_EQ(readInteger("-4294967297"), -1);
    EXPECT_EQ(readInteger("4294967295"), -1);
    EXPECT_EQ(readInteger("00000000000000000000042"), 42);
}

TEST(ReadDecimal, FollowsTheNumberGrammarWhichHasNoHexInfinityOrNan) {
    NumberForm form = NumberForm::NoNumber;
    EXPECT_EQ(readFloat("2.75", &form), 2.75f);
    EXPECT_EQ(form, NumberForm::Clean);
    EXPECT_EQ(readFloat("-1.5e2", &form), -150.0f);
    EXPECT_EQ(form, NumberForm::Clean);
    EXPECT_EQ(readFloat("+3E-1"), 0.3f);
    EXPECT_EQ(readFloat(".5", &form), 0.5f);
    EXPECT_EQ(form, NumberForm::Clean);
    EXPECT_EQ(readFloat("5.", &form), 5.0f);
    EXPECT_EQ(form, NumberForm::Clean);
    EXPECT_EQ(readFloat("27", &form), 27.0f);
    // An exponent letter without digits is not part of the number.
    EXPECT_EQ(readFloat("1e", &form), 1.0f);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
    EXPECT_EQ(readFloat("1e+", &form), 1.0f);
    EXPECT_EQ(readFloat("2.5.5", &form), 2.5f);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
    EXPECT_EQ(readFloat("12abc"), 12.0f);
    EXPECT_EQ(readFloat(" \t7"), 7.0f);
    EXPECT_TRUE(std::signbit(readFloat("-0")));
    // Hexadecimal, infinity and nan are no numbers.
    for (const char* word : {"inf", "-inf", "INF", "infinity", "nan", "NaN", ".", "-.", "e5", "", "abc"}) {
        EXPECT_EQ(readDecimal(word, &form), 0.0) << word;
        EXPECT_EQ(form, NumberForm::NoNumber) << word;
    }
    EXPECT_EQ(readFloat("0x1A", &form), 0.0f);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
    EXPECT_EQ(readFloat("0x1p4"), 0.0f);
    // A word is a view into a longer line: what follows it there is no part of its number.
    const std::string_view line = "-125.5e35";
    EXPECT_EQ(readInteger(line.substr(0, 3)), -12);
    EXPECT_EQ(readDecimal(line.substr(0, 7), &form), -125.5);
    EXPECT_EQ(form, NumberForm::ExtraCharacters);
    EXPECT_EQ(readDecimal(line.substr(0, 8), &form), -125500.0);
    EXPECT_EQ(form, NumberForm::Clean);
}

TEST(ReadDecimal, OutOfRangeGivesInfinityOrZero) {
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(readDecimal("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readFloat("1e999"), infinity);
    EXPECT_EQ(readFloat("-1e999"), -infinity);
    EXPECT_EQ(readFloat("1e99999999999999999999"), infinity);
    EXPECT_EQ(readFloat("0.00000001e400"), infinity);
    EXPECT_EQ(readDecimal("1e-999"), 0.0);
    EXPECT_EQ(readDecimal("100000e-1000"), 0.0);
    EXPECT_EQ(readDecimal("0e999999"), 0.0);
    EXPECT_TRUE(std::signbit(readDecimal("-1e-999")));
    // Beyond float but within double: infinity once narrowed.
    EXPECT_EQ(readFloat("3.5e38"), infinity);
    EXPECT_EQ(readFloat("1e300"), infinity);
    EXPECT_EQ(readFloat("3.4028235e38"), FLT_MAX);
    // Below the smallest normal float the value keeps its subnormal form.
    EXPECT_EQ(readFloat("1e-40"), static_cast<float>(1e-40));
}

TEST(ReadDecimal, RoundsThroughDoubleThenFloat) {
    // Just above the float midpoint between 1 and the next float: straight to float this
    // would round up, but the double is the midpoint itself, which rounds to even.
    EXPECT_EQ(readDecimal("1.000000059604644775390626"), 1.0 + 0x1p-24);
    EXPECT_EQ(readFloat("1.000000059604644775390626"), 1.0f);
    EXPECT_EQ(readFloat("0.1"), 0.1f);
    EXPECT_EQ(readFloat("0.016666668"), 0.016666668f);
}

TEST(ReadDecimal, AgreesWithTheCLibraryOnDecimalsAndWhatFollowsThem) {
    // glibc's strtod is correctly rounded; on words of our grammar both must agree.
    std::uint32_t seed = 1;
    auto next = [&seed] {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFFu;
    };
    for (int n = 0; n < 3000; ++n) {
        std::string word;
        if (next() % 3 == 0)
            word += '-';
        for (std::uint32_t digits = next() % 20; digits > 0; --digits)
            word += static_cast<char>('0' + next() % 10);
        word += '.';
        for (std::uint32_t digits = 1 + next() % 20; digits > 0; --digits)
            word += static_cast<char>('0' + next() % 10);
        if (next() % 2 == 0) {
            word += 'e';
            word += std::to_string(static_cast<int>(next() % 700) - 350);
        }
        // Some with more after the number, which neither reads.
        const bool trailing = next() % 4 == 0;
        if (trailing)
            word += "x91";
        const double expected = std::strtod(word.c_str(), nullptr);
        NumberForm form = NumberForm::NoNumber;
        EXPECT_EQ(readDecimal(word, &form), expected) << word;
        EXPECT_EQ(form, trailing ? NumberForm::ExtraCharacters : NumberForm::Clean) << word;
    }
}

TEST(NarrowToFloat, RoundsToNearestAndOverflowsAtTheHalfwayPoint) {
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(narrowToFloat(static_cast<double>(FLT_MAX)), FLT_MAX);
    EXPECT_EQ(narrowToFloat(0x1.ffffffp127), infinity);
    EXPECT_EQ(narrowToFloat(std::nextafter(0x1.ffffffp127, 0.0)), FLT_MAX);
    EXPECT_EQ(narrowToFloat(-0x1.ffffffp127), -infinity);
    EXPECT_EQ(narrowToFloat(std::numeric_limits<double>::max()), infinity);
    EXPECT_EQ(narrowToFloat(-std::numeric_limits<double>::infinity()), -infinity);
    EXPECT_EQ(narrowToFloat(0.1), 0.1f);
}

} // namespace
