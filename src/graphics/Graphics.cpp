#include "graphics/Graphics.h"

GraphicsState theGraphics;

bool resetDevice(int width, int height, bool fullScreen) {
    return theGraphics.device && theGraphics.device->resetDevice(width, height, fullScreen);
}

void beginFrame() {
    if (theGraphics.device) {
        theGraphics.device->beginFrame();
    }
}

void endFrame() {
    if (theGraphics.device) {
        theGraphics.device->endFrame();
    }
}

void clearBackBuffer(std::uint32_t argb) {
    if (theGraphics.device) {
        theGraphics.device->clear(argb);
    }
}

void restoreDevice(bool allTexturesLost) {
    if (theGraphics.device) {
        theGraphics.device->restoreDevice(allTexturesLost);
    }
}

void shutdownGraphics() {
    theGraphics.boundTexture = nullptr;
    theGraphics.textureCache.clear();
    theGraphics.device.reset();
}
