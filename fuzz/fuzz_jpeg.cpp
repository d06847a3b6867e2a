// JPEG decoding through the game's image decoder.
#include "SignedImageHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace std::string_view_literals;
    return fuzzSignedImage(data, size, "\xff\xd8\xff"sv);
}
