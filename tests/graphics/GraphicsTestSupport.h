#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "app/GameSetup.h"
#include "graphics/Graphics.h"
#include "graphics/SpriteRenderer.h"
#include "platform/ImageFile.h"
#include "support/TempDir.h"

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

inline Rgb pixelAt(const RgbaImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4u];
    return {p[0], p[1], p[2]};
}

inline const Rgb Background{0, 0, 63};

inline RgbaImage solidImage(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                            std::uint8_t a) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i) {
        image.pixels.insert(image.pixels.end(), {r, g, b, a});
    }
    return image;
}

// A game set up over a scratch directory with a fresh 640 × 480 headless device, and a
// renderer with the room camera but no world.
class HeadlessGraphicsTest : public ::testing::Test {
  protected:
    void SetUp() override { setUpOver(scratch); }
    void TearDown() override { setup.reset(); }

    // A fresh set-up over `dataDirectory`, drawing as above.
    void setUpOver(const std::filesystem::path& dataDirectory) {
        setup.reset();
        setup.emplace(dataDirectory, GameSetup::Headless{.width = 640, .height = 480, .loadWorld = false});
        ASSERT_TRUE(setup->ok()) << setup->error();
        setupSpriteShader();
        theSpriteRenderer = std::make_unique<SpriteRenderer>();
        setWorldCamera(*theSpriteRenderer);
    }

    void startFrame() {
        beginFrame();
        clearBackBuffer(BackgroundColour);
    }

    RgbaImage backBuffer() {
        RgbaImage image;
        EXPECT_TRUE(theGraphics.device->readBackBuffer(image));
        return image;
    }

    std::string writeImage(const std::string& name, const RgbaImage& image) {
        std::string path = (scratch / name).string();
        EXPECT_TRUE(writePngFile(path, image, true));
        return path;
    }

    TempDir dir;
    std::filesystem::path scratch = dir.path("");
    std::optional<GameSetup> setup;
};
