#pragma once
#include <cstdint>
#include <vector>

#include "graphics/QuadLayout.h"
#include "graphics/RgbaImage.h"

// A frame composed on the CPU, in the form `readBackBuffer` gives it: RGBA bytes, rows top to
// bottom, alpha kept. Every device composes its frames here, so the window and the headless
// device draw the same pixels at every size.
class FrameBuffer {
  public:
    // A fresh buffer, every pixel 0. False, with the old pixels kept, for a side that is not in
    // [1, MaxImageSide].
    bool resize(int width, int height);
    int width() const { return pixels.width; }
    int height() const { return pixels.height; }
    const RgbaImage& image() const { return pixels; }

    // Every pixel to a colour in alpha, red, green, blue order from the high byte.
    void clear(std::uint32_t argb);
    // Opaque rectangle, clipped to the frame.
    void fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Each covered pixel shows the texel the two axes name, times the tint (round to nearest of
    // texel × tint / 255), over what is there: round to nearest of (s × a + d × (255 − a)) / 255
    // on every channel, so full alpha replaces the pixel and no alpha leaves it.
    void drawImage(const RgbaImage& image, const AxisSamples& columns, const AxisSamples& rows,
                   std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // The other frame's pixels; false, with nothing copied, when the sizes differ.
    bool copyFrom(const FrameBuffer& other);

  private:
    RgbaImage pixels;
    // One row of an image's sampled texels, as wide as the frame.
    std::vector<std::uint8_t> line;
};
