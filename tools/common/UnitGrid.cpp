#include "tools/common/UnitGrid.h"

#include "graphics/SpriteRenderer.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

constexpr int Columns = static_cast<int>(RoomWidth);
constexpr int Rows = static_cast<int>(RoomHeight);

// Digits 0 to 9, 3 pixels wide and 5 high, one row in the low three bits of each number.
constexpr std::uint8_t Digits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

struct Colour {
    std::uint8_t r, g, b;
};

// Mixes `colour` into the pixel by `alpha` of 255; pixels outside the image are skipped.
void blend(RgbaImage& image, int x, int y, Colour colour, int alpha) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return;
    std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    const std::uint8_t parts[3] = {colour.r, colour.g, colour.b};
    for (int i = 0; i < 3; ++i)
        p[i] = static_cast<std::uint8_t>((p[i] * (255 - alpha) + parts[i] * alpha) / 255);
    p[3] = 255;
}

// A number in the room's own white on a dark box, its top left corner at (x, y).
void drawNumber(RgbaImage& image, int x, int y, int value, int scale) {
    const std::string text = std::to_string(value);
    const int width = static_cast<int>(text.size()) * 4 * scale + scale;
    for (int dy = 0; dy < 7 * scale; ++dy) {
        for (int dx = 0; dx < width; ++dx)
            blend(image, x + dx, y + dy, {0, 0, 0}, 160);
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& rows = Digits[text[i] - '0'];
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 3; ++column) {
                if ((rows[row] >> (2 - column) & 1) == 0)
                    continue;
                for (int sy = 0; sy < scale; ++sy) {
                    for (int sx = 0; sx < scale; ++sx)
                        blend(image, x + scale + static_cast<int>(i) * 4 * scale + column * scale + sx,
                              y + scale + row * scale + sy, {255, 255, 255}, 255);
                }
            }
        }
    }
}

} // namespace

void drawUnitGrid(RgbaImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4)
        return;
    const Colour line{255, 255, 0};
    for (int c = 0; c <= Columns; ++c) {
        const int x = std::min(c * image.width / Columns, image.width - 1);
        for (int y = 0; y < image.height; ++y)
            blend(image, x, y, line, c % 5 == 0 ? 150 : 60);
    }
    for (int r = 0; r <= Rows; ++r) {
        const int y = std::min(r * image.height / Rows, image.height - 1);
        for (int x = 0; x < image.width; ++x)
            blend(image, x, y, line, r % 5 == 0 ? 150 : 60);
    }
    const int scale = std::max(1, image.width / Columns / 16);
    for (int c = 0; c < Columns; ++c)
        drawNumber(image, c * image.width / Columns + 1, 1, c, scale);
    // Row r is the band from y = r - 1 to r; row 1 shares the top band with the column numbers,
    // so the row numbers sit lower in their band.
    for (int r = 1; r <= Rows; ++r)
        drawNumber(image, 1, (r - 1) * image.height / Rows + image.height / Rows - 7 * scale, r, scale);
}
