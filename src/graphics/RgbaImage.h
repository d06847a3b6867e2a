#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Decoded pixels, four bytes each in memory order red, green, blue, alpha, rows top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The largest image side the game accepts; anything bigger is refused before decoding.
inline constexpr int MaxImageSide = 8192;

// True when every pixel has full alpha: such an image needs no blending and no alpha channel.
inline bool isOpaque(const RgbaImage& image) {
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) {
        if (image.pixels[i] != 255) {
            return false;
        }
    }
    return true;
}
