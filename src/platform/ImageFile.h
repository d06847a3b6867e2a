#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/ImageSource.h"
#include "graphics/RgbaImage.h"

// Decodes a PNG (any colour type and bit depth, with its own alpha) or a JPEG (opaque), told apart
// by content. Corrupt, truncated, unknown or larger than MaxImageSide on a side: false, `image`
// left empty.
bool decodeImage(const std::uint8_t* data, std::size_t size, RgbaImage& image);
bool readImageFile(const std::string& fileName, RgbaImage& image);

// The textures' image source: readImageFile.
class ImageFileSource final : public ImageSource {
  public:
    bool readImage(const std::string& fileName, RgbaImage& image) override {
        return readImageFile(fileName, image);
    }
};

// Writes 8-bit RGB (alpha dropped) or 8-bit RGBA through replaceFile (platform/OutputFile.h): a
// failure never leaves a half-written file and never destroys the previous one, and nothing
// but a regular file is replaced. On failure `why`, when given, says why.
bool writePngFile(const std::string& fileName, const RgbaImage& image, bool withAlpha,
                  std::string* why = nullptr);

// Writes an opaque baseline JPEG (alpha dropped) at `quality` (1 to 100) without chroma
// subsampling, so small tiles keep their colours. The same pixels and settings always give the
// same bytes. Written as for PNG.
bool writeJpegFile(const std::string& fileName, const RgbaImage& image, int quality,
                   std::string* why = nullptr);
