#pragma once
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
