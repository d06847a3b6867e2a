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

// One axis of a quad on the back buffer. Its near edge, where the texture coordinate is 0, lies
// at (5 × position + offsetFifths + nearSizeFifths × size) / 5 room units, its far edge, where
// the coordinate is `repeat`, at the same with farSizeFifths; `roomUnits` units span `pixels`
// pixels. Fifths keep the layers' offsets (0.2, 0.4, 1) and the bands' 0.4 exact.
struct QuadAxis {
    float position = 0.0f;
    float size = 0.0f;
    float repeat = 1.0f;
    int offsetFifths = 0;
    int nearSizeFifths = 0;
    int farSizeFifths = 5;
    int roomUnits = 40;
    int pixels = 0;
};

// Pixel i sits at screen coordinate i and is covered when lower edge <= i < upper edge: the
// lower edge is included, the upper one excluded. Decided exactly from the floats as they are
// (binary fractions, the scale rational), so every machine covers the same pixels. Pixels
// [first, end), clipped to [0, pixels); false when none, or an edge is not finite.
bool coveredPixels(const QuadAxis& axis, int& first, int& end);

// The covered pixels of an axis and the texel each shows: pixel `first + i` shows
// `texels[i]`, floor(u × texels) mod texels, with u the exact texture coordinate at its centre.
struct AxisSamples {
    int first = 0;
    std::vector<std::int32_t> texels;
};

// Fills `samples` (keeping its storage, so drawing allocates nothing); empty where
// `coveredPixels` covers nothing or `texels` is not positive.
void sampleAxis(const QuadAxis& axis, int texels, AxisSamples& samples);

// The largest rectangle of the back buffer's shape centred in the output (black bars around).
PixelRect letterboxRect(int bufferWidth, int bufferHeight, int outputWidth, int outputHeight);
