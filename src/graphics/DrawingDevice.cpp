#include "graphics/DrawingDevice.h"

bool ComposingDevice::resetDevice(int width, int height, bool /*fullScreen*/) {
    return composed.resize(width, height);
}

void ComposingDevice::restoreDevice(bool /*allTexturesLost*/) {
    // The frame lives in memory: nothing of it can be lost.
}

bool ComposingDevice::readBackBuffer(RgbaImage& image) {
    image = composed.image();
    return image.width > 0;
}

std::unique_ptr<DrawingDevice> createHeadlessDrawingDevice(int width, int height, std::string& error) {
    auto device = std::make_unique<ComposingDevice>();
    if (!device->resetDevice(width, height, false)) {
        error = "cannot create the drawing surface: " + std::to_string(width) + " x " +
                std::to_string(height) + " is not a size the game can draw";
        return nullptr;
    }
    return device;
}
