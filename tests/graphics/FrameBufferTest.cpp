#include "graphics/FrameBuffer.h"
#include "graphics/DrawingDevice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// A 1 × 1 image drawn over the whole of a 2 × 1 frame.
void drawTexel(FrameBuffer& frame, std::vector<std::uint8_t> texel, std::uint8_t red, std::uint8_t green,
               std::uint8_t blue) {
    RgbaImage image;
    image.width = image.height = 1;
    image.pixels = std::move(texel);
    AxisSamples columns;
    AxisSamples rows;
    sampleAxis({0, 40, 1, 0, 0, 5, 40, 2}, 1, columns);
    sampleAxis({30, 30, 1, 0, -5, 0, 30, 1}, 1, rows);
    frame.drawImage(image, columns, rows, red, green, blue);
}

// The device blends source × alpha + destination × (1 − alpha), rounded to nearest: a beam's
// texel (255, 40, 70) at alpha 90 over the background (0, 0, 63) is (90, 14, 65). Tints round
// to nearest too, and full and no alpha replace and keep exactly.
TEST(FrameBuffer, BlendsAndTintsRoundToNearest) {
    FrameBuffer frame;
    ASSERT_TRUE(frame.resize(2, 1));
    frame.clear(0x0000003F);
    drawTexel(frame, {255, 40, 70, 90}, 255, 255, 255);
    EXPECT_EQ(std::vector<int>(frame.image().pixels.begin(), frame.image().pixels.begin() + 4),
              (std::vector<int>{90, 14, 65, 32}));
    // 3 × 128 / 255 is 1.506: 2; 200 × 128 / 255 is 100.4: 100.
    drawTexel(frame, {3, 200, 0, 255}, 128, 128, 128);
    EXPECT_EQ(std::vector<int>(frame.image().pixels.begin(), frame.image().pixels.begin() + 4),
              (std::vector<int>{2, 100, 0, 255}));
    drawTexel(frame, {9, 9, 9, 0}, 255, 255, 255);
    EXPECT_EQ(frame.image().pixels[4], 2);
    EXPECT_EQ(frame.image().pixels[7], 255);
    // Alpha 1 is barely there, yet blended: (9 + 100 × 254) / 255 is 99.6, (1 + 255 × 254) / 255 254.0.
    drawTexel(frame, {9, 9, 9, 1}, 255, 255, 255);
    EXPECT_EQ(std::vector<int>(frame.image().pixels.begin() + 4, frame.image().pixels.end()),
              (std::vector<int>{2, 100, 0, 254}));
}

TEST(FrameBuffer, TintsFillsClipsAndRefusesWhatDoesNotFit) {
    FrameBuffer frame;
    // Either side alone out of range is refused.
    EXPECT_FALSE(frame.resize(0, 10));
    EXPECT_FALSE(frame.resize(10, 0));
    EXPECT_FALSE(frame.resize(10, MaxImageSide + 1));
    EXPECT_FALSE(frame.resize(MaxImageSide + 1, 10));
    EXPECT_TRUE(frame.resize(MaxImageSide, 1) && frame.resize(1, MaxImageSide));
    ASSERT_TRUE(frame.resize(4, 3));
    frame.clear(0x11223344);
    EXPECT_EQ(frame.image().pixels[0], 0x22);
    EXPECT_EQ(frame.image().pixels[3], 0x11);

    // Far past every edge: only the frame's pixels are written.
    frame.fillRect({-5, 1, 2147483647, 1}, 9, 8, 7);
    EXPECT_EQ(frame.image().pixels[(1 * 4 + 3) * 4], 9);
    EXPECT_EQ(frame.image().pixels[(1 * 4 + 3) * 4 + 3], 255);
    EXPECT_EQ(frame.image().pixels[(2 * 4) * 4], 0x22);

    RgbaImage texel;
    texel.width = texel.height = 1;
    texel.pixels = {200, 100, 50, 255};
    AxisSamples one;
    sampleAxis({0, 10, 1, 0, 0, 5, 40, 4}, 1, one);
    frame.drawImage(texel, one, one, 128, 255, 0);
    // An image of no rows draws nothing, whatever its samples say.
    frame.drawImage(RgbaImage{1, 0, {9, 9, 9, 255}}, one, one, 255, 255, 255);
    EXPECT_EQ(frame.image().pixels[0], 100);
    EXPECT_EQ(frame.image().pixels[1], 100);
    EXPECT_EQ(frame.image().pixels[2], 0);

    // Samples that run past any edge of the frame are refused whole: one column left of the
    // second row would land on the first row's last pixel.
    AxisSamples leftColumn = one;
    leftColumn.first = -1;
    AxisSamples secondRow = one;
    secondRow.first = 1;
    frame.drawImage(texel, leftColumn, secondRow, 255, 255, 255);
    AxisSamples lowRows;
    sampleAxis({0, 20, 1, 0, 0, 5, 40, 4}, 1, lowRows);
    lowRows.first = 2;
    frame.drawImage(texel, one, lowRows, 255, 255, 255);
    AxisSamples rightColumns = lowRows;
    rightColumns.first = 3;
    frame.drawImage(texel, rightColumns, one, 255, 255, 255);
    EXPECT_EQ(frame.image().pixels[(2 * 4) * 4 + 1], 0x33);
    EXPECT_EQ(frame.image().pixels[(0 * 4 + 3) * 4 + 1], 0x33);

    FrameBuffer other;
    ASSERT_TRUE(other.resize(4, 4));
    EXPECT_FALSE(frame.copyFrom(other));
    EXPECT_EQ(frame.image().pixels[1], 100);
    ASSERT_TRUE(other.resize(4, 3));
    EXPECT_TRUE(frame.copyFrom(other));
    EXPECT_EQ(frame.image().pixels[1], 0);

    // A drawing device the frame cannot be is refused, saying why.
    std::string error;
    EXPECT_EQ(createHeadlessDrawingDevice(8, 0, error), nullptr);
    EXPECT_EQ(error, "cannot create the drawing surface: 8 x 0 is not a size the game can draw");
}

} // namespace
