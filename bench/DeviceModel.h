#pragma once
// A plain model of how the game's device draws a frame, kept apart from the game's own code
// (the benchmarks check frames along a walk with it, the tests whole rooms):
// pixel centres at whole screen coordinates, a pixel belongs to a quad when its centre lies
// inside (left and top edges in, right and bottom out), it shows the texel at its centre,
// floor(u × width) mod width, the texel is tinted and blended with rounding to nearest. The
// numbers are taken exactly as multiples of 2^-32 below 1024 in size, which is all the rooms
// hold; anything else is refused, not guessed.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphics/RgbaImage.h"
#include "graphics/SpriteRenderer.h"
#include "graphics/Texture.h"

namespace model {

__extension__ typedef __int128 Wide;
constexpr int GridBits = 32;
constexpr Wide One = Wide{1} << GridBits;

// f × 2^32 when that is a whole number and f is below 1024 in size.
inline std::optional<Wide> onGrid(float f) {
    if (!std::isfinite(f) || std::fabs(f) >= 1024.0f) {
        return std::nullopt;
    }
    int exponent = 0;
    const double fraction = std::frexp(static_cast<double>(f), &exponent);
    const auto whole = static_cast<std::int64_t>(std::ldexp(fraction, 24));
    const int shift = exponent - 24 + GridBits;
    if (shift >= 0) {
        return Wide{whole} << shift;
    }
    if (-shift >= 40 || whole % (std::int64_t{1} << -shift) != 0) {
        return whole == 0 ? std::optional<Wide>(0) : std::nullopt;
    }
    return Wide{whole / (std::int64_t{1} << -shift)};
}

inline Wide floorDivide(Wide a, Wide b) {
    if (b < 0) {
        a = -a;
        b = -b;
    }
    const Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// One axis of a quad: edges at nearFifths / 5 and farFifths / 5 room units (times 2^32), the
// texture coordinate 0 at the near one and `repeat` (times 2^32) at the far one.
struct Axis {
    Wide nearFifths = 0;
    Wide farFifths = 0;
    Wide repeat = One;
    int roomUnits = 40;
    int pixels = 0;
};

// Pixel i's centre, i, against an edge at e / 5 / 2^32 units: i × units × 5 × 2^32 against e × pixels.
inline bool covers(const Axis& axis, int i) {
    const Wide centre = Wide{i} * axis.roomUnits * 5 * One;
    const Wide a = axis.nearFifths * axis.pixels;
    const Wide b = axis.farFifths * axis.pixels;
    return (a < b) ? (a <= centre && centre < b) : (b <= centre && centre < a);
}

// floor(repeat × texels × (i − near) / (far − near)) mod texels, near and far on the screen.
inline int texelAt(const Axis& axis, int texels, int i) {
    const Wide fromNear = Wide{i} * axis.roomUnits * 5 * One - axis.nearFifths * axis.pixels;
    const Wide span = (axis.farFifths - axis.nearFifths) * axis.pixels * One;
    const Wide index = floorDivide(axis.repeat * texels * fromNear, span);
    return static_cast<int>((index % texels + texels) % texels);
}

inline std::uint8_t rounded(int numerator) {
    return static_cast<std::uint8_t>((numerator * 2 + 255) / 510);
}

// The frame the device draws from `quads` over the clear colour (alpha, red, green, blue from
// the high byte). Empty, with `problem` set, when a quad's numbers are not on the grid.
inline RgbaImage drawFrame(const std::vector<DrawnQuad>& quads, std::uint32_t clear, int width, int height,
                           std::string& problem) {
    RgbaImage frame;
    frame.width = width;
    frame.height = height;
    for (int i = 0; i < width * height; ++i) {
        frame.pixels.insert(frame.pixels.end(),
                            {static_cast<std::uint8_t>(clear >> 16), static_cast<std::uint8_t>(clear >> 8),
                             static_cast<std::uint8_t>(clear), static_cast<std::uint8_t>(clear >> 24)});
    }
    for (const DrawnQuad& q : quads) {
        const auto x = onGrid(q.x), y = onGrid(q.y), w = onGrid(q.w), h = onGrid(q.h);
        const auto u = onGrid(q.uRepeat), v = onGrid(q.vRepeat);
        if (!x || !y || !w || !h || !u || !v) {
            problem = "a quad off the model's grid at " + std::to_string(q.x) + ", " + std::to_string(q.y);
            return {};
        }
        // Layers 1, 2 and 3 lift the quad by 0.2, 0.4 and 1 unit; layer 3 draws it 0.4 high.
        const int lift[4] = {0, 1, 2, 5};
        const int layer = q.layer >= 0 && q.layer < 4 ? q.layer : 0;
        const Wide bottom = *y * 5 - lift[layer] * One;
        const Axis across{*x * 5, (*x + *w) * 5, *u, 40, width};
        const Axis down{bottom - *h * (layer == 3 ? 2 : 5), bottom, *v, 30, height};
        const RgbaImage* image = q.texture && q.texture->image.width > 0 ? &q.texture->image : nullptr;
        for (int j = 0; j < height; ++j) {
            if (!covers(down, j)) {
                continue;
            }
            for (int i = 0; i < width; ++i) {
                if (!covers(across, i)) {
                    continue;
                }
                std::uint8_t* d = &frame.pixels[(static_cast<std::size_t>(j) * width + i) * 4];
                const int colour[3] = {static_cast<int>(q.colour & 0xFF),
                                       static_cast<int>((q.colour >> 8) & 0xFF),
                                       static_cast<int>((q.colour >> 16) & 0xFF)};
                if (!image) {
                    d[0] = static_cast<std::uint8_t>(colour[0]);
                    d[1] = static_cast<std::uint8_t>(colour[1]);
                    d[2] = static_cast<std::uint8_t>(colour[2]);
                    d[3] = 255;
                    continue;
                }
                const int tx = texelAt(across, image->width, i);
                const int ty = texelAt(down, image->height, j);
                const std::uint8_t* t =
                    &image->pixels[(static_cast<std::size_t>(ty) * image->width + tx) * 4];
                const int a = t[3];
                for (int c = 0; c < 4; ++c) {
                    const int s = c < 3 ? rounded(t[c] * colour[c]) : a;
                    d[c] = rounded(s * a + d[c] * (255 - a));
                }
            }
        }
    }
    return frame;
}

} // namespace model
