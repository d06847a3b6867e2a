// JPEG decoding through the game's image decoder. Inputs that do not start with the JPEG
// signature get it in front, so mutations spend their time inside the JPEG reader.
#include "platform/ImageFile.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char signature[] = "\xff\xd8\xff";
    const std::size_t signatureSize = sizeof signature - 1;
    std::vector<std::uint8_t> bytes;
    if (size < signatureSize || std::memcmp(data, signature, signatureSize) != 0)
        bytes.assign(signature, signature + signatureSize);
    bytes.insert(bytes.end(), data, data + size);
    RgbaImage image;
    if (decodeImage(bytes.data(), bytes.size(), image)) {
        // A decoded image is whole: its pixel buffer matches its size, within the game's limit.
        if (image.width < 1 || image.height < 1 || image.width > MaxImageSide || image.height > MaxImageSide ||
            image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4u)
            __builtin_trap();
    } else if (!image.pixels.empty()) {
        __builtin_trap();
    }
    return 0;
}
