#include "graphics/FrameBuffer.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include "support/Pixels.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

// Every colour against every alpha, texel (s, a + s) at column s and row a: every row holds
// transparent and opaque texels among the partial ones.
RgbaImage everyTexel() {
    RgbaImage image;
    image.width = 256;
    image.height = 256;
    image.pixels.resize(256 * 256 * 4);
    for (int a = 0; a < 256; ++a) {
        for (int s = 0; s < 256; ++s) {
            std::uint8_t* p = &image.pixels[static_cast<std::size_t>(a * 256 + s) * 4];
            p[0] = static_cast<std::uint8_t>(s);
            p[1] = static_cast<std::uint8_t>(255 - s);
            p[2] = static_cast<std::uint8_t>(s * 7);
            p[3] = static_cast<std::uint8_t>(a + s);
        }
    }
    return image;
}

struct SdlDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};

// The frames the game drew before they were composed on the CPU: SDL's software renderer on
// a back-buffer target, copying the image over `side` × `side` pixels.
RgbaImage copiedBySdl(const RgbaImage& image, int side, std::uint32_t clearArgb) {
    std::unique_ptr<SDL_Surface, SdlDeleter> surface(
        SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_ARGB8888));
    std::unique_ptr<SDL_Renderer, SdlDeleter> renderer(SDL_CreateSoftwareRenderer(surface.get()));
    SDL_Renderer* r = renderer.get();
    std::unique_ptr<SDL_Texture, SdlDeleter> target(
        SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, side, side));
    std::unique_ptr<SDL_Texture, SdlDeleter> texture(
        SDL_CreateTexture(r, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, image.width, image.height));
    SDL_UpdateTexture(texture.get(), nullptr, image.pixels.data(), image.width * 4);
    SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
    SDL_SetRenderTarget(r, target.get());
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(r, (clearArgb >> 16) & 0xFF, (clearArgb >> 8) & 0xFF, clearArgb & 0xFF,
                           clearArgb >> 24);
    SDL_RenderClear(r);
    SDL_Rect to{0, 0, side, side};
    SDL_RenderCopy(r, texture.get(), nullptr, &to);
    RgbaImage read;
    read.width = read.height = side;
    read.pixels.resize(static_cast<std::size_t>(side) * side * 4);
    SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_RGBA32, read.pixels.data(), side * 4);
    SDL_SetRenderTarget(r, nullptr);
    texture.reset();
    target.reset();
    return read;
}

RgbaImage composed(const RgbaImage& image, int side, std::uint32_t clearArgb) {
    FrameBuffer frame;
    EXPECT_TRUE(frame.resize(side, side));
    frame.clear(clearArgb);
    AxisSamples columns;
    AxisSamples rows;
    sampleAxis(0.0, side, 0.0, 1.0, image.width, side, columns);
    sampleAxis(0.0, side, 0.0, 1.0, image.height, side, rows);
    frame.drawImage(image, columns, rows, 255, 255, 255);
    return frame.image();
}

// Partial alpha rounds one way where SDL copied texels one to one and another where it
// stretched them; the frame keeps both, colour and alpha, over any background.
TEST(FrameBuffer, BlendsEveryTexelAsSdlsCopiesDid) {
    const RgbaImage image = everyTexel();
    for (const std::uint32_t background : {0x0000003Fu, 0x28C81E5Au, 0xFF102030u, 0x80FFFFFFu}) {
        for (const int side : {256, 512}) {
            const RgbaImage sdl = copiedBySdl(image, side, background);
            ASSERT_EQ(sdl.pixels.size(), static_cast<std::size_t>(side) * side * 4) << SDL_GetError();
            EXPECT_EQ(differingPixels(composed(image, side, background), sdl), 0)
                << side << " pixels over 0x" << std::hex << background;
        }
    }
}

TEST(FrameBuffer, TintsFillsClipsAndRefusesWhatDoesNotFit) {
    FrameBuffer frame;
    EXPECT_FALSE(frame.resize(0, 10));
    EXPECT_FALSE(frame.resize(10, MaxImageSide + 1));
    EXPECT_TRUE(frame.resize(1, 1));
    ASSERT_TRUE(frame.resize(4, 3));
    frame.clear(0x11223344);
    EXPECT_EQ(frame.image().pixels[0], 0x22);
    EXPECT_EQ(frame.image().pixels[3], 0x11);

    // Far past every edge: only the frame's pixels are written.
    frame.fillRect({-5, 1, 2147483647, 1}, 9, 8, 7);
    EXPECT_EQ(frame.image().pixels[(1 * 4 + 3) * 4], 9);
    EXPECT_EQ(frame.image().pixels[(1 * 4 + 3) * 4 + 3], 255);
    EXPECT_EQ(frame.image().pixels[(2 * 4) * 4], 0x22);

    RgbaImage texel;
    texel.width = texel.height = 1;
    texel.pixels = {200, 100, 50, 255};
    AxisSamples one;
    sampleAxis(0.0, 1.0, 0.0, 1.0, 1, 4, one);
    frame.drawImage(texel, one, one, 128, 255, 0);
    EXPECT_EQ(frame.image().pixels[0], 200 * 128 / 255);
    EXPECT_EQ(frame.image().pixels[1], 100);
    EXPECT_EQ(frame.image().pixels[2], 0);

    // Samples that run past the frame's bottom or right edge are refused whole.
    AxisSamples lowRows;
    sampleAxis(0.0, 2.0, 0.0, 1.0, 1, 4, lowRows);
    lowRows.first = 2;
    frame.drawImage(texel, one, lowRows, 255, 255, 255);
    AxisSamples rightColumns = lowRows;
    rightColumns.first = 3;
    frame.drawImage(texel, rightColumns, one, 255, 255, 255);
    EXPECT_EQ(frame.image().pixels[(2 * 4) * 4 + 1], 0x33);
    EXPECT_EQ(frame.image().pixels[(0 * 4 + 3) * 4 + 1], 0x33);

    FrameBuffer other;
    ASSERT_TRUE(other.resize(4, 4));
    EXPECT_FALSE(frame.copyFrom(other));
    EXPECT_EQ(frame.image().pixels[1], 100);
    ASSERT_TRUE(other.resize(4, 3));
    EXPECT_TRUE(frame.copyFrom(other));
    EXPECT_EQ(frame.image().pixels[1], 0);
}

} // namespace
