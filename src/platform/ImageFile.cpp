#include "platform/ImageFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {

// Larger files cannot hold an image the game would accept.
constexpr std::uintmax_t MaxImageFileBytes = 512u * 1024u * 1024u;

bool isPng(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(data, signature, 8) == 0;
}

bool isJpeg(const std::uint8_t* data, std::size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool acceptableSize(unsigned width, unsigned height) {
    return width > 0 && height > 0 && width <= static_cast<unsigned>(MaxImageSide) &&
           height <= static_cast<unsigned>(MaxImageSide);
}

// libpng's simplified interface catches its own errors, so no jump crosses this code.
bool decodePng(const std::uint8_t* data, std::size_t size, RgbaImage& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size)) {
        return false;
    }
    if (!acceptableSize(png.width, png.height)) {
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.assign(static_cast<std::size_t>(png.width) * png.height * 4u, 0);
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    // A damaged stream that libpng only warned about is still damaged.
    bool ok = (png.warning_or_error & PNG_IMAGE_ERROR) == 0;
    png_image_free(&png);
    return ok;
}

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

extern "C" void jpegErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

extern "C" void jpegQuietMessage(j_common_ptr) {}

// Only plain C objects live in this frame: libjpeg's errors jump back to the setjmp below.
// `pixels` is sized before the jump target is armed and only filled afterwards.
bool decodeJpegRows(const std::uint8_t* data, std::size_t size, std::uint8_t* pixels, unsigned width,
                    unsigned height) {
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.output_message = jpegQuietMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    if (info.output_width != width || info.output_height != height || info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + static_cast<std::size_t>(info.output_scanline) * width * 4u;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    // Corrupt or truncated data only raises warnings in libjpeg; the game treats it as unreadable.
    bool clean = errors.base.num_warnings == 0;
    jpeg_destroy_decompress(&info);
    return clean;
}

bool readJpegSize(const std::uint8_t* data, std::size_t size, unsigned& width, unsigned& height) {
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.output_message = jpegQuietMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    width = info.image_width;
    height = info.image_height;
    jpeg_destroy_decompress(&info);
    return true;
}

bool decodeJpeg(const std::uint8_t* data, std::size_t size, RgbaImage& image) {
    unsigned width = 0;
    unsigned height = 0;
    if (!readJpegSize(data, size, width, height) || !acceptableSize(width, height)) {
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(static_cast<std::size_t>(width) * height * 4u, 0);
    return decodeJpegRows(data, size, image.pixels.data(), width, height);
}

} // namespace

bool decodeImage(const std::uint8_t* data, std::size_t size, RgbaImage& image) {
    image = RgbaImage{};
    bool ok = false;
    if (data && isPng(data, size)) {
        ok = decodePng(data, size, image);
    } else if (data && isJpeg(data, size)) {
        ok = decodeJpeg(data, size, image);
    }
    if (!ok) {
        image = RgbaImage{};
    }
    return ok;
}

bool readImageFile(const std::string& fileName, RgbaImage& image) {
    image = RgbaImage{};
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) {
        return false;
    }
    std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (error || size == 0 || size > MaxImageFileBytes) {
        return false;
    }
    std::ifstream file(fileName, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        return false;
    }
    return decodeImage(bytes.data(), bytes.size(), image);
}

bool writePngFile(const std::string& fileName, const RgbaImage& image, bool withAlpha) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4u) {
        return false;
    }
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* rows = image.pixels.data();
    if (!withAlpha) {
        rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3u);
        for (std::size_t pixel = 0, count = rgb.size() / 3; pixel < count; ++pixel) {
            std::memcpy(&rgb[pixel * 3], &image.pixels[pixel * 4], 3);
        }
        rows = rgb.data();
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;

    std::string temporary = fileName + ".part";
    bool written = png_image_write_to_file(&png, temporary.c_str(), 0, rows, 0, nullptr) != 0;
    png_image_free(&png);
    std::error_code error;
    if (written) {
        std::filesystem::rename(temporary, fileName, error);
        written = !error;
    }
    if (!written) {
        std::filesystem::remove(temporary, error);
    }
    return written;
}
