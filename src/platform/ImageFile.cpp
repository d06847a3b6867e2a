#include "platform/ImageFile.h"
#include "definitions/DataFile.h"
#include "platform/OutputFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {

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

struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
};

extern "C" void pngReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->offset) {
        png_error(png, "truncated");
    }
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

extern "C" void pngQuietWarning(png_structp, png_const_charp) {}

extern "C" void pngQuietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Only plain C objects live in this frame: libpng's errors jump back to the setjmp below.
// With no `pixels` it reads the size only; with them, the whole image as 8-bit RGBA (16-bit
// samples keep their high byte, palettes and transparency chunks become RGBA).
bool pngPass(const std::uint8_t* data, std::size_t size, png_uint_32* width, png_uint_32* height,
             std::uint8_t* pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngQuietError, pngQuietWarning);
    if (!png) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    PngSource source{data, size, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, pngReadFromMemory);
    png_set_user_limits(png, MaxImageSide, MaxImageSide);
    png_read_info(png, info);
    if (!pixels) {
        *width = png_get_image_width(png, info);
        *height = png_get_image_height(png, info);
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }
    if (png_get_image_width(png, info) != *width || png_get_image_height(png, info) != *height) {
        png_error(png, "size changed");
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(*width) * 4u) {
        png_error(png, "unexpected row size");
    }
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < *height; ++y) {
            png_read_row(png, pixels + static_cast<std::size_t>(y) * *width * 4u, nullptr);
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool decodePng(const std::uint8_t* data, std::size_t size, RgbaImage& image) {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    if (!pngPass(data, size, &width, &height, nullptr) || !acceptableSize(width, height)) {
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(static_cast<std::size_t>(width) * height * 4u, 0);
    return pngPass(data, size, &width, &height, image.pixels.data());
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

// Only plain C objects live in this frame: libjpeg's errors jump back to the setjmp below. On
// success `*buffer` holds `*size` bytes that the caller frees with std::free.
bool encodeJpeg(const std::uint8_t* rgb, unsigned width, unsigned height, int quality, unsigned char** buffer,
                unsigned long* size) {
    jpeg_compress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.output_message = jpegQuietMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    for (int component = 0; component < info.num_components; ++component) {
        info.comp_info[component].h_samp_factor = 1;
        info.comp_info[component].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<std::size_t>(info.next_scanline) * width * 3u);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
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

namespace {

// What the header pass reads at most: a JPEG's tables before its first scan fit many times
// over, and the segments it skips are passed over, not read.
constexpr std::size_t HeaderReadLimit = 64 * 1024;

std::uint32_t readBigEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

// The PNG signature and the header chunk that must follow it.
bool pngHeaderAcceptable(const std::uint8_t* start, std::size_t size) {
    return size >= 33 && readBigEndian32(start + 8) == 13 && std::memcmp(start + 12, "IHDR", 4) == 0 &&
           acceptableSize(readBigEndian32(start + 16), readBigEndian32(start + 20));
}

// libjpeg's input straight from the file, a little at a time, for the header pass.
struct JpegFileSource {
    jpeg_source_mgr base;
    DataFile* file;
    std::size_t delivered;
    JOCTET block[1024];
};

extern "C" void jpegSourceNothing(j_decompress_ptr) {}

extern "C" boolean jpegSourceFill(j_decompress_ptr info) {
    auto* source = reinterpret_cast<JpegFileSource*>(info->src);
    const std::size_t got =
        source->delivered < HeaderReadLimit ? source->file->read(source->block, sizeof source->block) : 0;
    // The end of the file or of the header pass: our error handler gives up on the file.
    if (got == 0)
        info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    source->delivered += got;
    source->base.next_input_byte = source->block;
    source->base.bytes_in_buffer = got;
    return TRUE;
}

extern "C" void jpegSourceSkip(j_decompress_ptr info, long count) {
    auto* source = reinterpret_cast<JpegFileSource*>(info->src);
    if (count <= 0)
        return;
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted <= source->base.bytes_in_buffer) {
        source->base.next_input_byte += wanted;
        source->base.bytes_in_buffer -= wanted;
        return;
    }
    // Skipped segments are passed over in the file; reading them would let a file of nothing
    // but segments be read whole.
    const std::uintmax_t target = source->file->position() + (wanted - source->base.bytes_in_buffer);
    source->base.bytes_in_buffer = 0;
    if (!source->file->seek(target))
        info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
}

// Only plain C objects live in this frame: libjpeg's errors jump back to the setjmp below. The
// markers up to the first scan, with any warning (extraneous bytes, a damaged marker) taken as
// refusal, since the decoder refuses such files too.
bool jpegHeaderAcceptable(DataFile& file) {
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.output_message = jpegQuietMessage;
    JpegFileSource source{};
    source.file = &file;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    source.base.init_source = jpegSourceNothing;
    source.base.fill_input_buffer = jpegSourceFill;
    source.base.skip_input_data = jpegSourceSkip;
    source.base.resync_to_restart = jpeg_resync_to_restart;
    source.base.term_source = jpegSourceNothing;
    info.src = &source.base;
    const bool read = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    const bool acceptable =
        read && errors.base.num_warnings == 0 && acceptableSize(info.image_width, info.image_height);
    jpeg_destroy_decompress(&info);
    return acceptable;
}

// A file that is not an image the game reads is refused from its first bytes, before the rest
// of it is read.
bool headerAcceptable(DataFile& file) {
    std::uint8_t start[33] = {};
    const std::size_t got = file.read(start, sizeof start);
    if (isPng(start, got))
        return pngHeaderAcceptable(start, got);
    if (!isJpeg(start, got) || !file.seek(0))
        return false;
    return jpegHeaderAcceptable(file);
}

} // namespace

bool readImageFile(const std::string& fileName, RgbaImage& image) {
    image = RgbaImage{};
    DataFile file = openDataFile(fileName, MaxImageFileBytes);
    if (!file || !headerAcceptable(file) || !file.seek(0))
        return false;
    // The size is known: one allocation, then one read past it to prove the end.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
    bytes.resize(file.read(bytes.data(), bytes.size()));
    if (file.status().problem != DataFileProblem::None || !file.endsWhereReported())
        return false;
    return decodeImage(bytes.data(), bytes.size(), image);
}

namespace {

bool validImage(const RgbaImage& image) {
    return image.width > 0 && image.height > 0 && image.width <= MaxImageSide &&
           image.height <= MaxImageSide &&
           image.pixels.size() == static_cast<std::size_t>(image.width) * image.height * 4u;
}

// The whole file in memory (its size asked first), to be written in one go.
bool encodePng(const RgbaImage& image, bool withAlpha, std::vector<char>& bytes) {
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
    png_alloc_size_t size = 0;
    bool encoded = png_image_write_to_memory(&png, nullptr, &size, 0, rows, 0, nullptr) != 0;
    if (encoded) {
        bytes.resize(size);
        encoded = png_image_write_to_memory(&png, bytes.data(), &size, 0, rows, 0, nullptr) != 0;
        bytes.resize(size);
    }
    png_image_free(&png);
    return encoded;
}

} // namespace

bool writeJpegFile(const std::string& fileName, const RgbaImage& image, int quality, std::string* why) {
    std::string reason = "the picture cannot be encoded";
    if (!validImage(image) || quality < 1 || quality > 100) {
        if (why)
            *why = reason;
        return false;
    }
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(image.width) * image.height * 3u);
    for (std::size_t pixel = 0, count = rgb.size() / 3; pixel < count; ++pixel) {
        std::memcpy(&rgb[pixel * 3], &image.pixels[pixel * 4], 3);
    }
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool encoded = encodeJpeg(rgb.data(), static_cast<unsigned>(image.width),
                              static_cast<unsigned>(image.height), quality, &buffer, &size);
    const bool written =
        encoded &&
        replaceFile(fileName, std::string_view(reinterpret_cast<const char*>(buffer), size), reason);
    std::free(buffer);
    if (!written && why)
        *why = reason;
    return written;
}

bool writePngFile(const std::string& fileName, const RgbaImage& image, bool withAlpha, std::string* why) {
    std::string reason = "the picture cannot be encoded";
    std::vector<char> bytes;
    const bool written = encodePng(image, withAlpha, bytes) &&
                         replaceFile(fileName, std::string_view(bytes.data(), bytes.size()), reason);
    if (!written && why)
        *why = reason;
    return written;
}
