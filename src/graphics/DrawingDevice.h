#pragma once
#include <cstdint>

#include "graphics/QuadLayout.h"
#include "graphics/RgbaImage.h"

// The machine's drawing device: a back buffer of a chosen size, shown in a window or full screen.
// Implemented with SDL in the platform layer, for a window or headless on a surface.
class DrawingDevice {
  public:
    virtual ~DrawingDevice() = default;

    virtual int backBufferWidth() const = 0;
    virtual int backBufferHeight() const = 0;

    // New back-buffer size and form; textures survive. False leaves the old back buffer.
    virtual bool resetDevice(int width, int height, bool fullScreen) = 0;
    // Re-creates what the platform dropped: the back buffer, and every texture when `allTexturesLost`.
    virtual void restoreDevice(bool allTexturesLost) = 0;

    virtual void beginFrame() = 0;
    virtual void endFrame() = 0;

    // Whole back buffer to a colour in alpha, red, green, blue order from the high byte.
    virtual void clear(std::uint32_t argb) = 0;
    // Opaque rectangle of whole back-buffer pixels.
    virtual void fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    // Stretches `source` texels of an image over `target` pixels with nearest sampling, texel colour
    // times the tint, blended by the texel's alpha. `imageId` names the image's device copy, made
    // from `image` the first time it is needed and again after the device lost it.
    virtual void drawImage(std::uint64_t imageId, const RgbaImage& image, PixelRect source, PixelRect target,
                           std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    // The image is gone for good: drop its device copy.
    virtual void releaseImage(std::uint64_t imageId) = 0;

    // The back buffer as drawn so far, at its pixel size.
    virtual bool readBackBuffer(RgbaImage& image) = 0;
};
