#include <gtest/gtest.h>

#include "bench/DeviceModel.h"
#include "graphics/QuadLayout.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

struct Span {
    int first = 0;
    int end = 0;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& s) {
    return out << "[" << s.first << ", " << s.end << ")";
}

Span covered(const QuadAxis& axis) {
    Span span;
    if (!coveredPixels(axis, span.first, span.end)) {
        return {};
    }
    return span;
}

TEST(QuadLayout, PixelCentresSitAtWholeCoordinatesWithTheLeftAndTopEdgesIn) {
    // drawQuad(10, 20, 2, 3) at layer 0 in 1024 x 768 spans x 256..307.2 and y 435.2..512: the
    // centre 256 is on the left edge and in, 512 on the bottom edge and out.
    EXPECT_EQ(covered({10, 2, 1, 0, 0, 5, 40, 1024}), (Span{256, 308}));
    EXPECT_EQ(covered({20, 3, 1, 0, -5, 0, 30, 768}), (Span{436, 512}));
    // Drawn right to left the quad covers the same pixels.
    EXPECT_EQ(covered({12, -2, 1, 0, 0, 5, 40, 1024}), (Span{256, 308}));
    // Layer 1 lifts by 0.2 exactly: y 16.8..19.8 is 430.08..506.88 on 768.
    EXPECT_EQ(covered({20, 3, 1, -1, -5, 0, 30, 768}), (Span{431, 507}));
    // The smallest width past an edge still reaches the centre on it; none reaches nothing.
    EXPECT_EQ(covered({10, std::ldexp(1.0f, -40), 1, 0, 0, 5, 40, 1024}), (Span{256, 257}));
    EXPECT_EQ(covered({10, 0, 1, 0, 0, 5, 40, 1024}), (Span{}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(covered({nan, 2, 1, 0, 0, 5, 40, 1024}), (Span{}));
    EXPECT_EQ(covered({0, std::numeric_limits<float>::infinity(), 1, 0, 0, 5, 40, 1024}), (Span{}));
    // Far past the screen on both sides: clipped to it.
    EXPECT_EQ(covered({-1.0e9f, 2.0e9f, 1, 0, 0, 5, 40, 640}), (Span{0, 640}));
}

TEST(QuadLayout, BandsOfFourTenthsShowTheTexelRowsAtTheirCentres) {
    // A 1-unit band of an 8-row image drawn 0.4 high at 640 x 480: 6.4 pixels from 73.6, the
    // texel rows at the centres 74..79 are 0, 1, 3, 4, 5 and 6.
    AxisSamples rows;
    sampleAxis({6, 1, 1, -5, -2, 0, 30, 480}, 8, rows);
    EXPECT_EQ(rows.first, 74);
    EXPECT_EQ(rows.texels, (std::vector<std::int32_t>{0, 1, 3, 4, 5, 6}));
    // A centre exactly on a texel edge shows the texel that starts there: 16 texels over 20
    // pixels put centre 5 at texel 4's left edge. On a mirrored quad the image runs backwards,
    // and centre 0, on the edge where u is 1, shows texel 16 mod 16.
    sampleAxis({0, 0.78125f, 1, 0, 0, 5, 40, 1024}, 16, rows);
    EXPECT_EQ(rows.texels,
              (std::vector<std::int32_t>{0, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 8, 9, 10, 11, 12, 12, 13, 14, 15}));
    sampleAxis({0.78125f, -0.78125f, 1, 0, 0, 5, 40, 1024}, 16, rows);
    EXPECT_EQ(rows.texels,
              (std::vector<std::int32_t>{0, 15, 14, 13, 12, 12, 11, 10, 9, 8, 8, 7, 6, 5, 4, 4, 3, 2, 1, 0}));
}

// Random quads, repeats and images against the model's texel at every centre, on the screen
// and far off it, including the negative repeats and mirrored quads rooms can write.
TEST(QuadLayout, EveryPixelShowsTheModelsTexelAtItsCentre) {
    std::mt19937 random(36);
    const int sizes[] = {480, 600, 640, 768, 800, 1024};
    // Multiples of 2^-12 (the model's grid holds them exactly), some with fine fractions.
    auto number = [&](double range) {
        const double raw = std::uniform_real_distribution<double>(-range, range)(random);
        return static_cast<float>(std::ldexp(std::round(std::ldexp(raw, 12)), -12));
    };
    AxisSamples samples;
    int checked = 0;
    for (int round = 0; round < 4000; ++round) {
        const bool down = round % 2 == 1;
        QuadAxis axis{number(60), number(20),      round % 7 == 0 ? 1.0f : number(12), 0, 0, 5,
                      40,         sizes[round % 6]};
        if (down) {
            const int layer = static_cast<int>(random() % 4);
            const int lift[4] = {0, 1, 2, 5};
            axis = {number(45),           number(20), axis.repeat, -lift[layer],
                    layer == 3 ? -2 : -5, 0,          30,          axis.pixels};
        }
        const int texels = 1 + static_cast<int>(random() % 40);
        sampleAxis(axis, texels, samples);
        const auto position = model::onGrid(axis.position);
        const auto size = model::onGrid(axis.size);
        const model::Wide offset = model::Wide{axis.offsetFifths} * model::One;
        const model::Axis exact{*position * 5 + offset + *size * axis.nearSizeFifths,
                                *position * 5 + offset + *size * axis.farSizeFifths,
                                *model::onGrid(axis.repeat), axis.roomUnits, axis.pixels};
        int first = axis.pixels;
        int end = 0;
        for (int i = 0; i < axis.pixels; ++i) {
            if (model::covers(exact, i)) {
                first = std::min(first, i);
                end = i + 1;
            }
        }
        if (first >= end) {
            ASSERT_TRUE(samples.texels.empty()) << round;
            continue;
        }
        ASSERT_EQ(samples.first, first) << round;
        ASSERT_EQ(static_cast<int>(samples.texels.size()), end - first) << round;
        for (int i = first; i < end; ++i) {
            ASSERT_EQ(samples.texels[i - first], model::texelAt(exact, texels, i)) << round << " pixel " << i;
            ++checked;
        }
    }
    EXPECT_GT(checked, 200000);
}

// Numbers far outside a room are rounded, half to even, to 2^-20 units and held within 2^30.
TEST(QuadLayout, NumbersFarOutsideARoomAreRoundedHalfToEvenAndHeld) {
    const float huge = std::ldexp(1.0f, 40);
    const float half = std::ldexp(1.0f, -21); // half a step
    // From a left edge that rounds to 0 a quad covers pixel 0; from one a step on, not.
    EXPECT_EQ(covered({half, huge, 1, 0, 0, 5, 40, 1024}), (Span{0, 1024}));
    EXPECT_EQ(covered({3 * half, huge, 1, 0, 0, 5, 40, 1024}), (Span{1, 1024}));
    EXPECT_EQ(covered({std::nextafter(half, 1.0f), huge, 1, 0, 0, 5, 40, 1024}), (Span{1, 1024}));
    EXPECT_EQ(covered({std::nextafter(half, 0.0f), huge, 1, 0, 0, 5, 40, 1024}), (Span{0, 1024}));
    EXPECT_EQ(covered({std::ldexp(1.0f, -60), huge, 1, 0, 0, 5, 40, 1024}), (Span{0, 1024}));
    // A negative one keeps its sign: one unit on, its edge falls just left of pixel 25.
    EXPECT_EQ(covered({-3 * half, huge, 1, 5, 0, 5, 40, 1000}), (Span{25, 1000}));
    // 2^40 units wide and repeated 2^120 times is 2^30 and 2^30: 5 texels of 128 a pixel. Just
    // below 2^30 a number is kept.
    std::vector<std::int32_t> fives(1024);
    for (std::size_t j = 0; j < fives.size(); ++j)
        fives[j] = static_cast<std::int32_t>(j * 5 % 128);
    AxisSamples columns;
    sampleAxis({std::ldexp(1.0f, -30), huge, std::ldexp(1.0f, 120), 0, 0, 5, 40, 1024}, 128, columns);
    EXPECT_EQ(columns.first, 0);
    EXPECT_EQ(columns.texels, fives);
    const float below = std::ldexp(3.0f, 28);
    sampleAxis({std::ldexp(1.0f, -30), below, below, 0, 0, 5, 40, 1024}, 128, columns);
    EXPECT_EQ(columns.texels, fives);
}

TEST(QuadLayout, RectanglesMeetOnlyWhereTheyShareAPixel) {
    EXPECT_TRUE(rectsMeet({0, 0, 10, 10}, {9, 9, 5, 5}));
    EXPECT_FALSE(rectsMeet({0, 0, 10, 10}, {10, 0, 5, 5}));
    EXPECT_FALSE(rectsMeet({0, 0, 10, 10}, {3, 3, 0, 5}));
    EXPECT_TRUE(rectsMeet({4, 4, 1, 1}, {0, 0, 10, 10}));
    EXPECT_FALSE(rectsMeet({4, 4, 1, 1}, {0, 0, 10, 0}));
    const PixelRect both = rectUnion({2, 3, 4, 5}, {10, 1, 2, 2});
    EXPECT_EQ(both.x, 2);
    EXPECT_EQ(both.y, 1);
    EXPECT_EQ(both.w, 10);
    EXPECT_EQ(both.h, 7);
    // An empty rectangle adds nothing, on either side.
    const PixelRect alone = rectUnion({}, {10, 1, 2, 2});
    EXPECT_EQ(alone.x, 10);
    EXPECT_EQ(alone.w, 2);
    const PixelRect thin = rectUnion({0, 0, 3, 1}, {5, 5, 1, 1});
    EXPECT_EQ(thin.x, 0);
    EXPECT_EQ(thin.h, 6);
    const PixelRect flat = rectUnion({10, 1, 2, 2}, {0, 0, 50, 0});
    EXPECT_EQ(flat.x, 10);
    EXPECT_EQ(flat.w, 2);
    EXPECT_EQ(flat.h, 2);
}

TEST(QuadLayout, LetterboxKeepsTheBackBufferShape) {
    PixelRect wide = letterboxRect(640, 480, 1920, 1080);
    EXPECT_EQ(wide.x, 240);
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.w, 1440);
    EXPECT_EQ(wide.h, 1080);
    PixelRect tall = letterboxRect(800, 600, 800, 1000);
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 200);
    EXPECT_EQ(tall.h, 600);
    PixelRect dot = letterboxRect(1, 1, 10, 10);
    EXPECT_EQ(dot.w, 10);
    EXPECT_EQ(dot.h, 10);
    PixelRect same = letterboxRect(1024, 768, 1024, 768);
    EXPECT_EQ(same.w, 1024);
    EXPECT_EQ(same.h, 768);
}

} // namespace
