#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/FrameBuffer.h"
#include "graphics/QuadLayout.h"
#include "graphics/RgbaImage.h"

// The machine's drawing device: a back buffer of a chosen size, shown in a window or full screen.
// Frames are composed on the CPU (`ComposingDevice`); the platform layer shows them in a window,
// and the headless device keeps them for tests and tools.
class DrawingDevice {
  public:
    virtual ~DrawingDevice() = default;

    virtual int backBufferWidth() const = 0;
    virtual int backBufferHeight() const = 0;

    // New back-buffer size and form. False leaves the old back buffer.
    virtual bool resetDevice(int width, int height, bool fullScreen) = 0;
    // Re-creates what the platform dropped: the window's copy of the frame, and everything the
    // platform holds when `allTexturesLost`.
    virtual void restoreDevice(bool allTexturesLost) = 0;

    virtual void beginFrame() = 0;
    virtual void endFrame() = 0;

    // Whole back buffer to a colour in alpha, red, green, blue order from the high byte.
    virtual void clear(std::uint32_t argb) = 0;
    // Opaque rectangle of whole back-buffer pixels.
    virtual void fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    // An image sampled pixel by pixel as the two axes say, times the tint, blended by the texel's
    // alpha (see `FrameBuffer::drawImage`).
    virtual void drawImage(const RgbaImage& image, const AxisSamples& columns, const AxisSamples& rows,
                           std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    // The frame being composed, for keeping a copy of it and putting it back.
    virtual FrameBuffer& frame() = 0;

    // The back buffer as drawn so far, at its pixel size.
    virtual bool readBackBuffer(RgbaImage& image) = 0;
};

// A device composing into its own `FrameBuffer`; what a platform adds is how the frame is shown.
class ComposingDevice : public DrawingDevice {
  public:
    int backBufferWidth() const override { return composed.width(); }
    int backBufferHeight() const override { return composed.height(); }
    bool resetDevice(int width, int height, bool fullScreen) override;
    void restoreDevice(bool allTexturesLost) override;
    void beginFrame() override {}
    void endFrame() override {}
    void clear(std::uint32_t argb) override { composed.clear(argb); }
    void fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        composed.fillRect(target, red, green, blue);
    }
    void drawImage(const RgbaImage& image, const AxisSamples& columns, const AxisSamples& rows,
                   std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        composed.drawImage(image, columns, rows, red, green, blue);
    }
    FrameBuffer& frame() override { return composed; }
    bool readBackBuffer(RgbaImage& image) override;

  protected:
    FrameBuffer composed;
};

// A device that only composes: for tests, tools and benchmarks. On a size out of range: null,
// and `error` says so.
std::unique_ptr<DrawingDevice> createHeadlessDrawingDevice(int width, int height, std::string& error);
