#pragma once
#include "graphics/RgbaImage.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

// How many pixels two images hold differently, over all four channels; the pixels one has
// and the other lacks count too.
inline int differingPixels(const RgbaImage& a, const RgbaImage& b) {
    const std::size_t shared = std::min(a.pixels.size(), b.pixels.size()) / 4;
    int count = static_cast<int>((std::max(a.pixels.size(), b.pixels.size()) / 4) - shared);
    for (std::size_t i = 0; i < shared; ++i)
        count += std::memcmp(&a.pixels[i * 4], &b.pixels[i * 4], 4) != 0 ? 1 : 0;
    return count;
}
