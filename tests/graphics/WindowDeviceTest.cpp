#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/SdlDrawingDevice.h"

namespace {

TEST(WindowDevice, BackBufferKeepsItsChosenSizeWhateverTheWindow) {
#if defined(__SANITIZE_ADDRESS__)
    // Under LeakSanitizer the offscreen video driver reports leaks from libraries it loads and
    // unloads itself; the headless device covers the same drawing code in that build.
    GTEST_SKIP() << "offscreen video driver leaks under LeakSanitizer";
#endif
    // The offscreen driver's GL libraries leak on their own; the software renderer needs none.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("Marrowgast", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    {
        std::string error;
        auto device = createWindowDrawingDevice(window, 640, 480, error);
        ASSERT_TRUE(device) << error;
        ASSERT_TRUE(device->resetDevice(1024, 768, false));
        device->beginFrame();
        device->clear(0x0000003F);
        device->fillRect({10, 10, 5, 5}, 255, 255, 0);
        device->endFrame();
        RgbaImage image;
        ASSERT_TRUE(device->readBackBuffer(image));
        EXPECT_EQ(image.width, 1024);
        EXPECT_EQ(image.height, 768);
        EXPECT_EQ(image.pixels[(10 * 1024 + 12) * 4 + 1], 255);
        device->restoreDevice(true);
        EXPECT_EQ(device->backBufferWidth(), 1024);
        EXPECT_FALSE(device->resetDevice(0, 768, false));
        EXPECT_EQ(device->backBufferWidth(), 1024);
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
}

} // namespace
