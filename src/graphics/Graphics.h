#pragma once
#include <cstdint>
#include <memory>

#include "graphics/DrawingDevice.h"
#include "graphics/ImageSource.h"
#include "graphics/Texture.h"

// The drawing state of the run, one instance. The cache is declared after the device so that it
// is emptied before the device goes.
struct GraphicsState {
    std::unique_ptr<DrawingDevice> device;
    // The decoder behind every texture; owned by the set-up. Without one no image loads.
    ImageSource* images = nullptr;
    TextureCache textureCache;
    // The texture bound for the next quad; empty means a plain coloured quad.
    const Texture* boundTexture = nullptr;
    // Image files decoded so far; each file should be decoded once per run.
    int imageFilesDecoded = 0;
    // Decoded pixels of every texture this run has kept, against the budget below.
    std::uint64_t decodedImageBytes = 0;
    // No set of images this game would ship comes near it; past it (many spellings of one
    // huge picture, say) a texture fails like a missing file.
    static constexpr std::uint64_t DecodedImageBudget = 1024ull * 1024 * 1024;
};

extern GraphicsState theGraphics;

// The background of every frame: dark blue, in alpha, red, green, blue order.
inline constexpr std::uint32_t BackgroundColour = 0x0000003F;

// Each is harmless without a device.
bool resetDevice(int width, int height, bool fullScreen);
void beginFrame();
void endFrame();
void clearBackBuffer(std::uint32_t argb);
// Called by the event loop when the platform reports that render targets or the whole device
// were reset, so the screen does not stay black.
void restoreDevice(bool allTexturesLost);
// Empties the texture cache, then destroys the device. Call before the platform shuts down.
void shutdownGraphics();
