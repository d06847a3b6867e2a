#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "GraphicsTestSupport.h"
#include "platform/ImageFile.h"
#include "platform/WindowIcon.h"
#include "support/TempDir.h"

namespace {

const std::filesystem::path Fixtures = std::filesystem::path(MARROWGAST_TEST_DATA) / "graphics";

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

enum class Form { Rgba, Rgb, Jpeg };

// The bytes of `image` as the game's own writers store it.
std::vector<std::uint8_t> encoded(const RgbaImage& image, Form form) {
    TempDir dir;
    const std::string path = dir.path("image");
    EXPECT_TRUE(form == Form::Jpeg ? writeJpegFile(path, image, 95)
                                   : writePngFile(path, image, form == Form::Rgba));
    return bytesOf(path);
}

RgbaImage gradient(int width, int height) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i) {
        image.pixels.insert(image.pixels.end(),
                            {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                             static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7)});
    }
    return image;
}

bool decodes(const std::vector<std::uint8_t>& bytes, RgbaImage& image) {
    return decodeImage(bytes.data(), bytes.size(), image);
}

TEST(ImageFiles, PaletteAndSixteenBitPngsBecomeEightBitRgba) {
    RgbaImage image;
    ASSERT_TRUE(readImageFile((Fixtures / "palette.png").string(), image));
    ASSERT_EQ(image.pixels.size(), 16u);
    EXPECT_EQ(std::vector<std::uint8_t>(image.pixels.begin(), image.pixels.begin() + 8),
              (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 255, 0, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(image.pixels.begin() + 12, image.pixels.end()),
              (std::vector<std::uint8_t>{255, 255, 255, 128}));

    ASSERT_TRUE(readImageFile((Fixtures / "rgb16.png").string(), image));
    ASSERT_EQ(image.pixels.size(), 16u);
    EXPECT_EQ(std::vector<std::uint8_t>(image.pixels.begin(), image.pixels.begin() + 4),
              (std::vector<std::uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(image.pixels.begin() + 12, image.pixels.end()),
              (std::vector<std::uint8_t>{10, 20, 30, 255}));
}

TEST(ImageFiles, JpegDecodesOpaqueAndFormatIsToldByContent) {
    // A checkerboard of two colours (the width is odd): no pixel shares its colour with a neighbour.
    RgbaImage checks = solidImage(15, 8, 200, 50, 20, 255);
    for (std::size_t pixel = 1; pixel < 15 * 8; pixel += 2)
        std::swap(checks.pixels[pixel * 4], checks.pixels[pixel * 4 + 2]);
    std::vector<std::uint8_t> jpeg = encoded(checks, Form::Jpeg);
    RgbaImage image;
    ASSERT_TRUE(decodes(jpeg, image));
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(15, 8));
    // Every pixel near its own colour (JPEG is lossy), and exactly opaque.
    ASSERT_EQ(image.pixels.size(), checks.pixels.size());
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        ASSERT_NEAR(image.pixels[i], checks.pixels[i], i % 4 == 3 ? 0 : 12) << "byte " << i;

    TempDir dir;
    const std::string misnamed = dir.write(
        "really_a_jpeg.png", std::string_view(reinterpret_cast<const char*>(jpeg.data()), jpeg.size()));
    EXPECT_TRUE(readImageFile(misnamed, image));
    jpeg.back() = 0xD8; // the end marker made another start: damaged after the last pixel
    EXPECT_FALSE(decodes(jpeg, image));
    EXPECT_TRUE(decodes(encoded(solidImage(1, 1, 1, 2, 3, 255), Form::Jpeg), image));
    EXPECT_EQ(image.width, 1);
    // Only FF D8 FF opens a JPEG: a third FF after other bytes is not one.
    EXPECT_FALSE(decodes({0x00, 0x00, 0xFF, 0xE0, 0x00, 0x10}, image));
}

// Where a PNG's chunks start and end (signature, length, contents, check sum), and where a
// JPEG's segments before its scan start, its scan, and its end marker (all under 64 KB long).
std::vector<std::size_t> boundaries(const std::vector<std::uint8_t>& file, Form form) {
    const auto length = [&](std::size_t at) { return std::size_t{file[at]} << 8 | file[at + 1]; };
    std::vector<std::size_t> at = {1}; // the first byte: nothing at all, or one byte
    std::size_t part = 2;
    for (; form == Form::Jpeg && file[part + 1] != 0xDA; part += 2 + length(part + 2))
        at.push_back(part);
    if (form == Form::Jpeg)
        at.insert(at.end(), {part, part + 2 + length(part + 2), file.size() - 2});
    for (part = 8; form != Form::Jpeg && part < file.size(); part += 12 + length(part + 2))
        at.insert(at.end(), {part, part + 8, part + 8 + length(part + 2)});
    return at;
}

// A file cut at a boundary or a byte either side is no image, even with the rest of it still in
// memory just past the end it was given.
TEST(ImageFiles, FilesCutShortAtEveryBoundaryGiveNothing) {
    TempDir dir;
    for (const Form form : {Form::Rgba, Form::Jpeg}) {
        const std::vector<std::uint8_t> whole = encoded(gradient(64, 64), form);
        for (const std::size_t boundary : boundaries(whole, form)) {
            for (const std::size_t cut : {boundary - 1, boundary, boundary + 1}) {
                SCOPED_TRACE(std::to_string(cut) + " of " + std::to_string(whole.size()));
                const std::string name =
                    dir.write("file", std::string_view(reinterpret_cast<const char*>(whole.data()), cut));
                for (const bool fromFile : {false, true}) {
                    RgbaImage image = gradient(1, 1);
                    EXPECT_FALSE(fromFile ? readImageFile(name, image)
                                          : decodeImage(whole.data(), cut, image));
                    EXPECT_TRUE(image.width == 0 && image.height == 0 && image.pixels.empty());
                }
            }
        }
    }
}

TEST(ImageFiles, PngsOfBothFormsRoundTripFromOneToTheSideLimitAndOnePastItDoNotDecode) {
    const struct {
        int width, height;
        bool decodes;
    } cases[] = {
        {5, 3, true},
        {1, 1, true},
        {MaxImageSide, 1, true},
        {1, MaxImageSide, true},
        {MaxImageSide + 1, 1, false},
        {1, MaxImageSide + 1, false},
    };
    for (const auto& c : cases) {
        for (const Form form : {Form::Rgba, Form::Rgb}) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) +
                         (form == Form::Rgba ? " rgba" : " rgb"));
            RgbaImage original = gradient(c.width, c.height);
            RgbaImage image;
            EXPECT_EQ(decodes(encoded(original, form), image), c.decodes);
            EXPECT_EQ(image.width, c.decodes ? c.width : 0);
            EXPECT_EQ(image.height, c.decodes ? c.height : 0);
            if (!c.decodes)
                continue;
            // Without alpha in the file, every pixel reads opaque.
            if (form == Form::Rgb) {
                for (std::size_t i = 3; i < original.pixels.size(); i += 4)
                    original.pixels[i] = 255;
            }
            EXPECT_EQ(image.pixels, original.pixels);
        }
    }
}

TEST(ImageFiles, PicturesWhosePixelsDoNotFillTheirSizeAreNeverWritten) {
    const struct {
        int width, height;
        std::size_t bytes;
    } cases[] = {{0, 3, 0}, {3, 0, 0}, {-2, -2, 16}, {2, 2, 15}, {2, 2, 17}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " +
                     std::to_string(c.bytes));
        RgbaImage image;
        image.width = c.width;
        image.height = c.height;
        image.pixels.assign(c.bytes, 200);
        TempDir dir;
        for (const bool alpha : {false, true}) {
            std::string why;
            EXPECT_FALSE(writePngFile(dir.path("shot.png"), image, alpha, &why));
            EXPECT_EQ(why, "the picture cannot be encoded");
        }
        std::string why;
        EXPECT_FALSE(writeJpegFile(dir.path("shot.jpg"), image, 90, &why));
        EXPECT_EQ(why, "the picture cannot be encoded");
        EXPECT_TRUE(std::filesystem::is_empty(dir.path("")));
    }
    // Nor are JPEGs of a quality outside 1 to 100.
    TempDir dir;
    const std::pair<int, bool> qualities[] = {{0, false}, {1, true}, {100, true}, {101, false}};
    for (const auto& [quality, written] : qualities)
        EXPECT_EQ(writeJpegFile(dir.path("q.jpg"), solidImage(1, 1, 9, 9, 9, 255), quality), written)
            << quality;
}

// Bytes this process has read from files so far, or -1 where the system does not count them.
long long bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string name;
    long long count = 0;
    while (io >> name >> count) {
        if (name == "rchar:")
            return count;
    }
    return -1;
}

// 300 MB of nothing (a sparse file costs no disk) after `head`.
std::string bigFile(const TempDir& dir, const std::string& name, const std::vector<std::uint8_t>& head) {
    const std::string path =
        dir.write(name, std::string_view(reinterpret_cast<const char*>(head.data()), head.size()));
    std::filesystem::resize_file(path, 300u * 1024 * 1024);
    return path;
}

// A junk file named as an image is refused from its first bytes, however large it is; the
// segments of a real JPEG's header are passed over rather than read.
TEST(ImageFiles, AFileThatIsNotAnImageIsRefusedFromItsFirstKilobytes) {
    if (bytesReadSoFar() < 0)
        GTEST_SKIP() << "/proc/self/io does not count the bytes read here";
    TempDir dir;
    std::vector<std::uint8_t> png = encoded(gradient(4, 4), Form::Rgba);
    std::vector<std::uint8_t> hugePng(png.begin(), png.begin() + 33);
    hugePng[16] = 0x7F; // a width of two thousand million pixels
    const std::vector<std::uint8_t> jpegStart = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    std::vector<std::uint8_t> hugeJpeg = encoded(solidImage(16, 8, 1, 2, 3, 255), Form::Jpeg);
    std::adjacent_find(hugeJpeg.begin(), hugeJpeg.end(),
                       [](int a, int b) { return a == 0xFF && b == 0xC0; })[7] = 0x7F;
    const std::string junk[] = {
        bigFile(dir, "zeros.png", {}),
        bigFile(dir, "text.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}),
        bigFile(dir, "huge.png", hugePng),
        bigFile(dir, "signature.png", std::vector<std::uint8_t>(png.begin(), png.begin() + 8)),
        bigFile(dir, "jpeg-start.jpg", jpegStart),
        bigFile(dir, "huge.jpg", hugeJpeg), // 32,000 pixels wide: a sound header, refused
    };
    for (const std::string& file : junk) {
        SCOPED_TRACE(file);
        RgbaImage image;
        const long long before = bytesReadSoFar();
        EXPECT_FALSE(readImageFile(file, image));
        EXPECT_LT(bytesReadSoFar() - before, 80 * 1024);
    }

    // Four segments of 60,000 bytes of comment before the tables: more than the header pass
    // reads, and still an image.
    std::vector<std::uint8_t> jpeg = encoded(solidImage(16, 8, 200, 50, 20, 255), Form::Jpeg);
    std::vector<std::uint8_t> comments = {0xFF, 0xFE, 0x00, 0x03, 'c'}; // and one of a byte
    for (int segment = 0; segment < 4; ++segment) {
        comments.insert(comments.end(), {0xFF, 0xFE, 60002 >> 8, 60002 & 0xFF});
        comments.insert(comments.end(), 60000, 'c');
    }
    jpeg.insert(jpeg.begin() + 2, comments.begin(), comments.end());
    RgbaImage image;
    EXPECT_TRUE(readImageFile(
        dir.write("commented.jpg", std::string_view(reinterpret_cast<const char*>(jpeg.data()), jpeg.size())),
        image));
    EXPECT_EQ(image.width, 16);
}

} // namespace

TEST(WindowIconImage, TheBuiltInIconIsTheSixtyFourPixelFile) {
    RgbaImage icon;
    ASSERT_TRUE(decodeImage(WindowIconPng, WindowIconPngSize, icon));
    EXPECT_EQ(icon.width, 64);
    EXPECT_EQ(icon.height, 64);
    RgbaImage file;
    ASSERT_TRUE(readImageFile(MARROWGAST_SOURCE_DIR "/data/icons/marrowgast-64.png", file));
    EXPECT_EQ(icon.pixels, file.pixels);
}
