#include "graphics/FrameBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

// Partial alpha where the texels are copied one to one: d + ((s − d) × A >> 8) on every
// channel, alpha included with A as its source value (the shift is arithmetic).
void blendOneToOne(std::uint8_t* d, const std::uint8_t* s, int alpha) {
    for (int c = 0; c < 3; ++c) {
        d[c] = static_cast<std::uint8_t>(d[c] + (((s[c] - d[c]) * alpha) >> 8));
    }
    d[3] = static_cast<std::uint8_t>(d[3] + (((alpha - d[3]) * alpha) >> 8));
}

// Partial alpha where the texels are stretched: s × A / 255 + (255 − A) × d / 255 on each
// colour, A + (255 − A) × a / 255 on alpha, in integer division.
void blendStretched(std::uint8_t* d, const std::uint8_t* s, int alpha) {
    const int rest = 255 - alpha;
    for (int c = 0; c < 3; ++c) {
        d[c] = static_cast<std::uint8_t>(s[c] * alpha / 255 + rest * d[c] / 255);
    }
    d[3] = static_cast<std::uint8_t>(alpha + rest * d[3] / 255);
}

} // namespace

bool FrameBuffer::resize(int width, int height) {
    if (width <= 0 || height <= 0 || width > MaxImageSide || height > MaxImageSide) {
        return false;
    }
    pixels.width = width;
    pixels.height = height;
    pixels.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u, 0);
    return true;
}

void FrameBuffer::clear(std::uint32_t argb) {
    const std::uint8_t colour[4] = {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                    static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)};
    std::uint8_t* out = pixels.pixels.data();
    const std::size_t count = pixels.pixels.size() / 4u;
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(out + i * 4u, colour, 4);
    }
}

void FrameBuffer::fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const int left = std::max(target.x, 0);
    const int top = std::max(target.y, 0);
    // In 64 bits: a rectangle's far edge may lie past the range of int.
    const auto right = static_cast<int>(std::min<long long>(static_cast<long long>(target.x) + target.w, width()));
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
        rows.first < 0 || columns.first + columnCount > width() || rows.first + rowCount > height()) {
        return;
    }
    const bool tinted = red != 255 || green != 255 || blue != 255;
    const int tint[3] = {red, green, blue};
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4u;
    for (int j = 0; j < rowCount; ++j) {
        const std::uint8_t* texelRow = image.pixels.data() + static_cast<std::size_t>(rows.texels[j]) * stride;
        std::uint8_t* out =
            pixels.pixels.data() + (static_cast<std::size_t>(rows.first + j) * width() + columns.first) * 4u;
        const bool rowOneToOne = rows.oneToOne[j] != 0;
        for (int i = 0; i < columnCount; ++i, out += 4) {
            const std::uint8_t* texel = texelRow + static_cast<std::size_t>(columns.texels[i]) * 4u;
            const int alpha = texel[3];
            if (alpha == 0) {
                continue;
            }
            std::uint8_t colour[4] = {texel[0], texel[1], texel[2], texel[3]};
            if (tinted) {
                for (int c = 0; c < 3; ++c) {
                    colour[c] = static_cast<std::uint8_t>(colour[c] * tint[c] / 255);
                }
            }
            if (alpha == 255) {
                std::memcpy(out, colour, 4);
            } else if (rowOneToOne && columns.oneToOne[i] != 0) {
                blendOneToOne(out, colour, alpha);
            } else {
                blendStretched(out, colour, alpha);
            }
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
