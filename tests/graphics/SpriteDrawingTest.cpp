#include <chrono>
#include <cmath>
#include <limits>

#include "GraphicsTestSupport.h"

namespace {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "[" << b.left << ", " << b.right << ") x [" << b.top << ", " << b.bottom << ")";
}

// Bounding box of every pixel that is not background; checks that the box is filled with `colour`.
Box drawnBox(const RgbaImage& image, Rgb colour) {
    Box box{image.width, image.height, 0, 0};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (pixelAt(image, x, y) != Background) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            EXPECT_EQ(pixelAt(image, x, y), colour) << "at " << x << ", " << y;
        }
    }
    return box;
}

int texelColumn(Rgb c) {
    return (c.r - 4) / 8;
}
int texelRow(Rgb c) {
    return (c.g - 4) / 8;
}

class SpriteDrawing : public HeadlessGraphicsTest {
  protected:
    // Writes a 16 × 16 image whose texel (x, y) has a colour that names its column and row.
    std::string writeCodedImage() {
        RgbaImage image = solidImage(16, 16, 0, 0, 200, 255);
        for (std::size_t i = 0; i < 256; ++i) {
            image.pixels[i * 4] = static_cast<std::uint8_t>(i % 16 * 8 + 4);
            image.pixels[i * 4 + 1] = static_cast<std::uint8_t>(i / 16 * 8 + 4);
        }
        return writeImage("coded.png", image);
    }
};

TEST_F(SpriteDrawing, QuadCoversItsRoomBoxOnEveryLayerAndBackBufferSize) {
    // Layer 2 lifts the quad to y 16.6..19.6, layer 1 to 16.8..19.8, and the top layer squashes
    // it to 17.8..19. At 1024 x 768, 25.6 pixels a unit, it spans 256..307.2 and 435.2..512:
    // pixel centres sit at whole coordinates, so column 307 is in and row 435 out.
    struct Case {
        int width, layer;
        Box box;
    } cases[] = {{640, 0, {160, 272, 192, 320}},
                 {640, 1, {160, 269, 192, 317}},
                 {640, 2, {160, 266, 192, 314}},
                 {640, 3, {160, 285, 192, 304}},
                 {1024, 0, {256, 436, 308, 512}}};
    for (const Case& c : cases) {
        if (c.width != backBuffer().width) {
            ASSERT_TRUE(resetDevice(1024, 768, false));
        }
        startFrame();
        theSpriteRenderer->drawQuad(10, 20, 2, 3, 1, 1, 0xFFFFFFFF, c.layer);
        EXPECT_EQ(drawnBox(backBuffer(), {255, 255, 255}), c.box) << c.width << " layer " << c.layer;
        // The matrices kept for the quad take the unit quad's top right corner to the same pixel.
        const SpriteRenderer& r = *theSpriteRenderer;
        const Matrix4 all = matrixMultiply(matrixMultiply(r.worldMatrix, r.viewMatrix), r.projectionMatrix);
        float w = 0;
        const Vector3 corner = transformPoint(all, {1, -1, 0}, w);
        EXPECT_NEAR((corner.x / w + 1) / 2 * c.width, c.box.right, 1);
        EXPECT_NEAR((1 - corner.y / w) / 2 * backBuffer().height, c.box.top, 1);
    }
}

TEST_F(SpriteDrawing, TheColourIsOpaqueAndTintsATextureThatBlendsByItsOwnAlpha) {
    TextureRef solid;
    solid.loadTexture(writeImage("solid.png", solidImage(4, 4, 200, 100, 50, 255)));
    TextureRef half;
    half.loadTexture(writeImage("half.png", solidImage(4, 4, 255, 0, 0, 128)));
    startFrame();
    // Red in the lowest byte; the alpha byte plays no part.
    theSpriteRenderer->drawQuad(0, 1, 1, 1, 1, 1, 0xFF00FFFF, 0);
    theSpriteRenderer->drawQuad(2, 1, 1, 1, 1, 1, 0xFF000000, 0);
    theSpriteRenderer->drawQuad(4, 1, 1, 1, 1, 1, 0x00FF0000, 0);
    theGraphics.boundTexture = solid.get();
    theSpriteRenderer->drawQuad(6, 1, 1, 1, 1, 1, 0x000000FF, 0); // red channel only
    theGraphics.boundTexture = nullptr;
    half.draw(8, 1, 1, 1, 1, 1, 0);
    RgbaImage image = backBuffer();
    EXPECT_EQ(pixelAt(image, 8, 8), (Rgb{255, 255, 0}));
    EXPECT_EQ(pixelAt(image, 40, 8), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(image, 72, 8), (Rgb{0, 0, 255}));
    EXPECT_EQ(pixelAt(image, 104, 8), (Rgb{200, 0, 0}));
    // Half alpha over the background: 255 × 128 / 255 and 63 × 127 / 255, rounded to nearest.
    EXPECT_EQ(pixelAt(image, 136, 8), (Rgb{128, 0, 31}));
}

TEST_F(SpriteDrawing, EmptyTextureDrawsAWhiteBoxOfFullSize) {
    TextureRef missing;
    missing.loadTexture((scratch / "absent.png").string());
    startFrame();
    missing.draw(10, 20, 2, 3, 2, 3, 0);
    EXPECT_EQ(drawnBox(backBuffer(), {255, 255, 255}), (Box{160, 272, 192, 320}));
}

// Checks that `box` shows the 16 × 16 coded image repeated from (originX, originY) and that
// the pixels just outside it are background.
void expectRepeats(const RgbaImage& image, Box box, int originX, int originY) {
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            const Rgb c = pixelAt(image, x, y);
            ASSERT_EQ(texelColumn(c), (x - originX) % 16) << box << " at " << x << ", " << y;
            ASSERT_EQ(texelRow(c), (y - originY) % 16) << box << " at " << x << ", " << y;
        }
    }
    EXPECT_EQ(pixelAt(image, box.right, box.top), Background) << box;
    EXPECT_EQ(pixelAt(image, box.left, box.bottom), Background) << box;
    if (box.top > 0) {
        EXPECT_EQ(pixelAt(image, box.left, box.top - 1), Background) << box;
    }
}

TEST_F(SpriteDrawing, ImagesRepeatAcrossAndDownAndKeepTheirPlaceAtTheScreenEdge) {
    TextureRef texture;
    texture.loadTexture(writeCodedImage());
    ASSERT_FALSE(texture.empty());
    startFrame();
    texture.draw(2, 5, 3, 1, 3, 1, 0);  // a 3 × 1 body
    texture.draw(2, 10, 5, 2, 5, 2, 0); // a 5 × 2 platform
    // y 7.5..10: two whole copies from the top, then the upper half of a third.
    texture.draw(0, 10, 1, 2.5f, 1, 2.5f, 0);
    // Starts a quarter unit left of the screen: the first pixel shows texel 4.
    texture.draw(-0.25f, 1, 2, 1, 2, 1, 0);
    const RgbaImage image = backBuffer();
    expectRepeats(image, {32, 64, 80, 80}, 32, 64);
    expectRepeats(image, {32, 128, 112, 160}, 32, 128);
    expectRepeats(image, {0, 120, 16, 160}, 0, 120);
    expectRepeats(image, {0, 0, 28, 16}, -4, 0);
}

TEST_F(SpriteDrawing, LongPlatformHasNoSeamsOrOverlapsAtLargerSizes) {
    TextureRef coded;
    coded.loadTexture(writeCodedImage());
    TextureRef glass;
    glass.loadTexture(writeImage("glass.png", solidImage(16, 16, 255, 255, 255, 128)));
    for (auto [width, height] : {std::pair{800, 600}, std::pair{1024, 768}}) {
        ASSERT_TRUE(resetDevice(width, height, false));
        startFrame();
        coded.draw(0, 10, 40, 1, 40, 1, 0);
        // Half-transparent: a column drawn twice would come out brighter than the rest.
        glass.draw(0, 20, 40, 1, 40, 1, 0);
        RgbaImage image = backBuffer();
        int codedRow = static_cast<int>(9.5f * height / 30);
        int glassRow = static_cast<int>(19.5f * height / 30);
        Rgb glassColour = pixelAt(image, 0, glassRow);
        int repeats = 1;
        int previous = texelColumn(pixelAt(image, 0, codedRow));
        EXPECT_EQ(previous, 0);
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(pixelAt(image, x, glassRow), glassColour) << width << " at " << x;
            int column = texelColumn(pixelAt(image, x, codedRow));
            ASSERT_TRUE(column == previous || column == previous + 1 || (previous == 15 && column == 0))
                << width << " at " << x << ": " << previous << " then " << column;
            repeats += (previous == 15 && column == 0) ? 1 : 0;
            previous = column;
        }
        EXPECT_EQ(previous, 15);
        EXPECT_EQ(repeats, 40) << width;
    }
}

TEST_F(SpriteDrawing, AbsurdPlatformsDrawInBoundedTimeAndNeverCrash) {
    TextureRef texture;
    texture.loadTexture(writeCodedImage());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    startFrame();
    const auto start = std::chrono::steady_clock::now();
    texture.draw(-1.0e9f, 30, 2.0e9f, 1, 2.0e9f, 1, 0);
    texture.draw(nan, 10, 2, 2, 2, 2, 0);
    texture.draw(0, 10, inf, 2, inf, 2, 0);
    texture.draw(0, 10, 40, 2, 1.0e30f, 1.0e30f, 0);
    texture.draw(0, 10, -40, 2, -3, 2, 0);
    texture.draw(0, 10, 40, 2, 0, 0, 0);
    theSpriteRenderer->drawQuad(-inf, inf, nan, 1, 1, 1, 0xFFFFFFFF, 0);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
    RgbaImage image = backBuffer();
    for (int x = 0; x < 640; ++x) {
        ASSERT_NE(pixelAt(image, x, 475), Background) << x;
    }
}

TEST_F(SpriteDrawing, TexturesSurviveResetsAndALostDevice) {
    std::string path = writeCodedImage();
    TextureRef texture;
    texture.loadTexture(path);
    startFrame();
    texture.draw(0, 1, 1, 1, 1, 1, 0);
    ASSERT_TRUE(resetDevice(800, 600, false));
    restoreDevice(true);
    // The file is gone: the texture comes back from the pixels kept with it.
    std::filesystem::remove(path);
    startFrame();
    texture.draw(0, 1, 1, 1, 1, 1, 0);
    RgbaImage image = backBuffer();
    EXPECT_EQ(image.width, 800);
    EXPECT_EQ(texelColumn(pixelAt(image, 19, 5)), 15);
    EXPECT_EQ(texelRow(pixelAt(image, 19, 19)), 15);
    EXPECT_EQ(pixelAt(image, 20, 5), Background);
}

} // namespace
