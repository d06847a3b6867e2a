#pragma once
#include <cstdint>
#include <vector>

// A rectangle of whole pixels on the back buffer or in a texture.
struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// The smallest rectangle holding both; an empty one (no width or height) adds nothing.
PixelRect rectUnion(PixelRect a, PixelRect b);
// Whether the two share a pixel.
bool rectsMeet(PixelRect a, PixelRect b);

// Pixels [first, end) of an axis of `pixels` pixels whose centres lie in [low, high).
// False when none does or an edge is not finite.
bool coveredSpan(double low, double high, int pixels, int& first, int& end);

// One run of back-buffer pixels along one axis and the texels stretched over it.
struct AxisPiece {
    int texelStart = 0;
    int texelCount = 0;
    int pixelStart = 0;
    int pixelCount = 0;
};

// Lays a repeating image along one axis. Pixels whose centres lie in [low, high) are covered,
// clipped to [0, pixels); the texture coordinate runs linearly from uLow at `low` to uHigh at
// `high`, and a pixel shows texel floor(u × texels) mod texels. Whole repeats become one piece
// each, sharing rounded pixel edges with their neighbours; only repeats inside the buffer are
// laid, so the work is bounded by the buffer size whatever the numbers.
std::vector<AxisPiece> layAxis(double low, double high, double uLow, double uHigh, int texels, int pixels);
// The same into `pieces` (emptied first), which keeps its storage: drawing a frame allocates nothing.
void layAxis(double low, double high, double uLow, double uHigh, int texels, int pixels,
             std::vector<AxisPiece>& pieces);

// One axis of a textured quad as its pixels show it: pixel `first + i` shows texel `texels[i]`,
// floor(u × texels) mod texels with u taken at the pixel's centre, and `oneToOne[i]` is 1 where
// that pixel lies in a run of `pieces` that shows as many texels as it has pixels.
struct AxisSamples {
    int first = 0;
    std::vector<std::int32_t> texels;
    std::vector<std::uint8_t> oneToOne;
    std::vector<AxisPiece> pieces;
};

// Samples the axis `layAxis` lays (the same pixels, the texel of each at its centre) into
// `samples`, which keeps its storage. Empty where `layAxis` lays nothing.
void sampleAxis(double low, double high, double uLow, double uHigh, int texels, int pixels,
                AxisSamples& samples);

// The largest rectangle of the back buffer's shape centred in the output (black bars around).
PixelRect letterboxRect(int bufferWidth, int bufferHeight, int outputWidth, int outputHeight);
