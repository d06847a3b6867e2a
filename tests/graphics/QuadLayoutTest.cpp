#include <gtest/gtest.h>

#include "graphics/QuadLayout.h"

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
    PixelRect same = letterboxRect(1024, 768, 1024, 768);
    EXPECT_EQ(same.w, 1024);
    EXPECT_EQ(same.h, 768);
}

} // namespace
