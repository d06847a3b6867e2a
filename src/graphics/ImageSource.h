#pragma once
#include <string>

#include "graphics/RgbaImage.h"

// Where textures get their pixels, by file name. The platform layer decodes PNG and JPEG files
// for the game, the tools and the tests; the set-up installs it.
class ImageSource {
  public:
    virtual ~ImageSource() = default;
    // The decoded image, or false with `image` empty when the file cannot be read or decoded.
    virtual bool readImage(const std::string& fileName, RgbaImage& image) = 0;
};
