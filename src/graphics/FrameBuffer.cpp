#include "graphics/FrameBuffer.h"

// The pixel loops are integer work that runs several pixels at a time when GCC's vectoriser
// may weigh its cost; -O2's cheapest model leaves them a pixel at a time.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("vect-cost-model=dynamic")
#endif

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Round to nearest of (s × a + d × (255 − a)) / 255 on each channel, alpha too, as the
// device's source-alpha blend gives it.
void blend(std::uint8_t* d, const std::uint8_t* s) {
    const int alpha = s[3];
    const int rest = 255 - alpha;
    for (int c = 0; c < 4; ++c) {
        d[c] = static_cast<std::uint8_t>((s[c] * alpha + d[c] * rest + 127) / 255);
    }
}

// Texels of no alpha leave the pixel, texels of full alpha replace it: chosen without a branch,
// so that the loop runs several pixels at a time.
void selectOpaque(std::uint8_t* __restrict out, const std::uint8_t* __restrict sampled, int count) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t source = 0;
        std::uint32_t target = 0;
        std::memcpy(&source, sampled + static_cast<std::size_t>(i) * 4u, 4);
        std::memcpy(&target, out + static_cast<std::size_t>(i) * 4u, 4);
        const std::uint32_t keep = ((source >> 24) & 1u) - 1u;
        target = (source & ~keep) | (target & keep);
        std::memcpy(out + static_cast<std::size_t>(i) * 4u, &target, 4);
    }
}

} // namespace

bool FrameBuffer::resize(int width, int height) {
    if (width <= 0 || height <= 0 || width > MaxImageSide || height > MaxImageSide) {
        return false;
    }
    pixels.width = width;
    pixels.height = height;
    pixels.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u, 0);
    // A row's texels, each written before it is read.
    line.resize(static_cast<std::size_t>(width) * 4u);
    return true;
}

void FrameBuffer::clear(std::uint32_t argb) {
    const std::array<std::uint8_t, 4> colour = {
        static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
        static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)};
    // Steps of the colour's own size over the frame's own end: no pixel is written past either.
    std::uint8_t* const end = pixels.pixels.data() + pixels.pixels.size();
    for (std::uint8_t* out = pixels.pixels.data(); out != end; out += colour.size()) {
        std::copy(colour.begin(), colour.end(), out);
    }
}

void FrameBuffer::fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const int left = std::max(target.x, 0);
    const int top = std::max(target.y, 0);
    // In 64 bits: a rectangle's far edge may lie past the range of int.
    const auto right =
        static_cast<int>(std::min<long long>(static_cast<long long>(target.x) + target.w, width()));
    const auto bottom =
        static_cast<int>(std::min<long long>(static_cast<long long>(target.y) + target.h, height()));
    const std::uint8_t colour[4] = {red, green, blue, 255};
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* row = pixels.pixels.data() + (static_cast<std::size_t>(y) * width() + left) * 4u;
        for (int x = left; x < right; ++x, row += 4) {
            std::memcpy(row, colour, 4);
        }
    }
}

void FrameBuffer::drawImage(const RgbaImage& image, const AxisSamples& columns, const AxisSamples& rows,
                            std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const int columnCount = static_cast<int>(columns.texels.size());
    const int rowCount = static_cast<int>(rows.texels.size());
    if (columnCount == 0 || rowCount == 0 || image.width <= 0 || image.height <= 0 || columns.first < 0 ||
        rows.first < 0 || columns.first + columnCount > width() || rows.first + rowCount > height() ||
        line.size() < static_cast<std::size_t>(columnCount) * 4u) {
        return;
    }
    const bool tinted = red != 255 || green != 255 || blue != 255;
    const int tint[3] = {red, green, blue};
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4u;
    const std::int32_t* columnTexels = columns.texels.data();
    std::uint8_t* sampled = line.data();
    // Rows that show the same texel row show the same texels: each is gathered once.
    int gatheredRow = -1;
    bool partial = false;
    for (int j = 0; j < rowCount; ++j) {
        if (rows.texels[j] != gatheredRow) {
            gatheredRow = rows.texels[j];
            partial = false;
            const std::uint8_t* texelRow =
                image.pixels.data() + static_cast<std::size_t>(gatheredRow) * stride;
            for (int i = 0; i < columnCount; ++i) {
                const std::uint8_t* texel = texelRow + static_cast<std::size_t>(columnTexels[i]) * 4u;
                std::uint8_t* colour = sampled + static_cast<std::size_t>(i) * 4u;
                std::memcpy(colour, texel, 4);
                partial = partial || (texel[3] != 0 && texel[3] != 255);
                if (tinted) {
                    // Round to nearest of texel × tint / 255.
                    for (int c = 0; c < 3; ++c) {
                        colour[c] = static_cast<std::uint8_t>((colour[c] * tint[c] + 127) / 255);
                    }
                }
            }
        }
        std::uint8_t* out =
            pixels.pixels.data() + (static_cast<std::size_t>(rows.first + j) * width() + columns.first) * 4u;
        if (!partial) {
            selectOpaque(out, sampled, columnCount);
            continue;
        }
        for (int i = 0; i < columnCount; ++i) {
            blend(out + static_cast<std::size_t>(i) * 4u, sampled + static_cast<std::size_t>(i) * 4u);
        }
    }
}

bool FrameBuffer::copyFrom(const FrameBuffer& other) {
    if (other.width() != width() || other.height() != height()) {
        return false;
    }
    std::memcpy(pixels.pixels.data(), other.pixels.pixels.data(), pixels.pixels.size());
    return true;
}
