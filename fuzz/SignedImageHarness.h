#pragma once
// The body of the image-decoder harnesses. Inputs that do not start with the format's
// signature get it in front, so mutations spend their time inside that format's reader.
#include "platform/ImageFile.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

inline int fuzzSignedImage(const std::uint8_t* data, std::size_t size, std::string_view signature) {
    std::vector<std::uint8_t> bytes;
    if (size < signature.size() || std::memcmp(data, signature.data(), signature.size()) != 0)
        bytes.assign(signature.begin(), signature.end());
    bytes.insert(bytes.end(), data, data + size);
    RgbaImage image;
    if (decodeImage(bytes.data(), bytes.size(), image)) {
        // A decoded image is whole: its pixel buffer matches its size, within the game's limit.
        if (image.width < 1 || image.height < 1 || image.width > MaxImageSide ||
            image.height > MaxImageSide ||
            image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4u)
            __builtin_trap();
    } else if (!image.pixels.empty()) {
        __builtin_trap();
    }
    return 0;
}
