#include <gtest/gtest.h>

#include "graphics/QuadLayout.h"

#include <cmath>
#include <cstdint>
#include <random>

namespace {

// Checks that the pieces tile [first, end) exactly, in order, without gaps or overlaps.
void expectContiguous(const std::vector<AxisPiece>& pieces, int first, int end) {
    int next = first;
    for (const AxisPiece& piece : pieces) {
        ASSERT_EQ(piece.pixelStart, next);
        ASSERT_GT(piece.pixelCount, 0);
        next += piece.pixelCount;
    }
    EXPECT_EQ(next, end);
}

TEST(QuadLayout, DegenerateRepeatsStayWithinTheBuffer) {
    auto zero = layAxis(0.0, 100.0, 0.0, 0.0, 16, 100);
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].texelStart, 0);
    expectContiguous(layAxis(0.0, 100.0, 0.0, 1.0e12, 16, 100), 0, 100);
    auto backwards = layAxis(0.0, 32.0, 1.0, 0.0, 16, 100);
    expectContiguous(backwards, 0, 32);
    EXPECT_EQ(backwards.front().texelStart, 15);
    EXPECT_TRUE(layAxis(0.0, std::numeric_limits<double>::infinity(), 0.0, 1.0, 16, 100).empty());
    expectContiguous(layAxis(-3.0e10, 3.0e10, 0.0, 2.0e9, 16, 640), 0, 640);
}

// The texel a pixel shows, worked out from scratch in long double: floor(u × texels) mod
// texels, with u at the pixel's centre.
int texelAtCentre(double low, double high, double uLow, double uHigh, int texels, int pixel) {
    const long double u =
        static_cast<long double>(uLow) + (static_cast<long double>(pixel) + 0.5L - low) *
                                             ((static_cast<long double>(uHigh) - uLow) / (high - low));
    long double index = std::floor(u * texels);
    long double wrapped = std::fmod(index, static_cast<long double>(texels));
    return static_cast<int>(wrapped < 0 ? wrapped + texels : wrapped);
}

TEST(QuadLayout, EveryPixelShowsTheTexelAtItsCentre) {
    std::mt19937 random(20);
    std::uniform_real_distribution<double> edge(-200.0, 1200.0);
    std::uniform_real_distribution<double> repeat(-40.0, 40.0);
    const int sizes[] = {480, 600, 640, 768, 800, 1024};
    AxisSamples samples;
    int checked = 0;
    for (int round = 0; round < 3000; ++round) {
        double low = edge(random);
        double high = low + std::fabs(edge(random)) * 0.3 + 0.01;
        double uLow = round % 3 == 0 ? 0.0 : repeat(random);
        double uHigh = round % 5 == 0 ? uLow + 1.0 : repeat(random);
        const int texels = 1 + static_cast<int>(random() % 64);
        const int pixels = sizes[random() % 6];
        sampleAxis(low, high, uLow, uHigh, texels, pixels, samples);
        int first = 0;
        int end = 0;
        if (!coveredSpan(low, high, pixels, first, end)) {
            EXPECT_TRUE(samples.texels.empty());
            continue;
        }
        ASSERT_EQ(samples.first, first);
        ASSERT_EQ(static_cast<int>(samples.texels.size()), end - first);
        ASSERT_EQ(samples.oneToOne.size(), samples.texels.size());
        expectContiguous(samples.pieces, first, end);
        for (int i = 0; i < end - first; ++i) {
            const int expected = texelAtCentre(low, high, uLow, uHigh, texels, first + i);
            // Where the centre falls within a rounding error of a texel edge the two may
            // round apart; elsewhere they agree.
            const long double position =
                (static_cast<long double>(uLow) +
                 (first + i + 0.5L - low) * ((static_cast<long double>(uHigh) - uLow) / (high - low))) *
                texels;
            if (std::fabs(position - std::round(position)) < 1e-6L)
                continue;
            ASSERT_EQ(samples.texels[i], expected) << low << " " << high << " " << uLow << " " << uHigh << " "
                                                   << texels << " pixel " << first + i;
            ++checked;
        }
        // Each piece names the texels its pixels show (the blend's rounding and the copies
        // the frame stands for rest on it); where it enlarges, it names no more than those.
        int pixel = first;
        for (const AxisPiece& piece : samples.pieces) {
            const int from = pixel - first;
            for (int k = 0; k < piece.pixelCount; ++k, ++pixel) {
                ASSERT_EQ(samples.oneToOne[pixel - first], piece.texelCount == piece.pixelCount ? 1 : 0);
                ASSERT_GE(samples.texels[pixel - first], piece.texelStart);
                ASSERT_LT(samples.texels[pixel - first], piece.texelStart + piece.texelCount);
            }
            if (piece.pixelCount >= piece.texelCount && uHigh > uLow) {
                EXPECT_EQ(samples.texels[from], piece.texelStart) << low << " " << high << " " << uLow;
                EXPECT_EQ(samples.texels[pixel - first - 1], piece.texelStart + piece.texelCount - 1)
                    << low << " " << high << " " << uLow << " " << uHigh << " " << texels;
            }
        }
    }
    EXPECT_GT(checked, 100000);
}

TEST(QuadLayout, CentresOnATexelEdgeShowTheTexelThatStartsThere) {
    // 16 texels over 20 pixels: the centre of pixel 2 is 2.5 pixels in, exactly texel 2's
    // left edge, where SDL's stretch showed texel 1.
    AxisSamples samples;
    sampleAxis(0.0, 20.0, 0.0, 1.0, 16, 800, samples);
    ASSERT_EQ(samples.texels.size(), 20u);
    EXPECT_EQ(samples.texels[2], 2);
    EXPECT_EQ(samples.texels[7], 6);
    EXPECT_EQ(samples.oneToOne[2], 0);
    // Far out, the remainder still wraps into the image: where a step of one repeat is lost
    // in rounding (3e17) and where it is not but is too far out to lay repeat by repeat (2e15).
    for (const double far : {-3.0e17, 2.0e15}) {
        sampleAxis(0.0, 10.0, far, far + 1.0, 16, 10, samples);
        ASSERT_EQ(samples.texels.size(), 10u) << far;
        for (const std::int32_t texel : samples.texels) {
            EXPECT_GE(texel, 0);
            EXPECT_LT(texel, 16);
        }
    }
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
