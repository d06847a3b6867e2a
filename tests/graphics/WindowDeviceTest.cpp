#include <gtest/gtest.h>

#include <SDL.h>

#include "app/GameSetup.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "platform/SdlDrawingDevice.h"
#include "world/Room.h"
#include "world/World.h"

#include "support/Pixels.h"

#include <memory>

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
        // A window wider than the frame's shape shows it between black bars.
        SDL_SetWindowSize(window, 1200, 768);
        ASSERT_TRUE(device->resetDevice(1024, 768, false));
        device->beginFrame();
        device->clear(0x0000003F);
        device->endFrame();
        std::uint8_t bar[4] = {9, 9, 9, 9};
        std::uint8_t middle[4] = {};
        const SDL_Rect left{20, 300, 1, 1};
        const SDL_Rect centre{600, 300, 1, 1};
        SDL_Renderer* renderer = SDL_GetRenderer(window);
        ASSERT_EQ(SDL_RenderReadPixels(renderer, &left, SDL_PIXELFORMAT_RGBA32, bar, 4), 0) << SDL_GetError();
        ASSERT_EQ(SDL_RenderReadPixels(renderer, &centre, SDL_PIXELFORMAT_RGBA32, middle, 4), 0);
        EXPECT_EQ(bar[0] + bar[1] + bar[2], 0);
        EXPECT_EQ(middle[2], 0x3F);
        // A lost device's frame still goes up whole.
        device->restoreDevice(true);
        ASSERT_TRUE(device->readBackBuffer(image));
        EXPECT_EQ(image.pixels[2], 0x3F);
        // Sides from 1 to MaxImageSide are drawn; a refused size keeps the frame before.
        const struct {
            int width, height;
            bool drawn;
        } sizes[] = {{MaxImageSide, 1, true}, {1, MaxImageSide, true},      {0, 768, false},
                     {640, 0, false},         {MaxImageSide + 1, 1, false}, {1, MaxImageSide + 1, false}};
        for (const auto& size : sizes)
            EXPECT_EQ(device->resetDevice(size.width, size.height, false), size.drawn)
                << size.width << " x " << size.height;
        EXPECT_EQ(device->backBufferWidth(), 1);
    }
    std::string error;
    EXPECT_FALSE(createWindowDrawingDevice(window, 0, 480, error));
    EXPECT_EQ(error, "cannot create the back buffer: 0 x 480 is not a size the game can draw");
    EXPECT_FALSE(createWindowDrawingDevice(nullptr, 640, 480, error));
    EXPECT_EQ(error, "cannot create the drawing device: no window");
    SDL_DestroyWindow(window);
    SDL_Quit();
}

// What the window shows and screenshots is what the headless device draws for tests and the
// replay tool: every bundled room, at every size the game offers, as robots patrol and fire.
TEST(WindowDevice, ShowsThePixelsTheHeadlessDeviceDrawsInEveryRoomAndSize) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "offscreen video driver leaks under LeakSanitizer";
#endif
    GameSetup game(MARROWGAST_SOURCE_DIR, {.width = 640, .height = 480});
    ASSERT_TRUE(game.ok()) << game.error();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("Marrowgast", 0, 0, 1024, 768, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    const struct { int width, height; } sizes[] = {{640, 480}, {800, 600}, {1024, 768}};
    int frames = 0;
    for (const auto& size : sizes) {
        std::string error;
        std::unique_ptr<DrawingDevice> windowed =
            createWindowDrawingDevice(window, size.width, size.height, error);
        ASSERT_TRUE(windowed) << error;
        std::unique_ptr<DrawingDevice> headless = createHeadlessDrawingDevice(size.width, size.height, error);
        ASSERT_TRUE(headless) << error;
        // Each device draws its frame from nothing, the kept platforms too.
        auto draw = [&](std::unique_ptr<DrawingDevice>& device) {
            theGraphics.device = std::move(device);
            world.room->stillLayer().forget();
            beginFrame();
            renderWorld();
            RgbaImage image;
            EXPECT_TRUE(theGraphics.device->readBackBuffer(image));
            endFrame();
            device = std::move(theGraphics.device);
            return image;
        };
        for (std::size_t room = 0; room < 4; ++room) {
            ASSERT_TRUE(enterRingRoom(room, 0)) << room;
            for (int moment = 0; moment < 3; ++moment) {
                for (int step = 0; step < 110 && world.room; ++step)
                    updateWorld();
                const RgbaImage shown = draw(windowed);
                const RgbaImage drawn = draw(headless);
                ASSERT_EQ(shown.width, size.width);
                ASSERT_EQ(shown.pixels.size(), drawn.pixels.size());
                EXPECT_EQ(differingPixels(shown, drawn), 0)
                    << "room " << room + 1 << " at " << size.width << " x " << size.height;
                ++frames;
            }
        }
    }
    EXPECT_EQ(frames, 36);
    SDL_DestroyWindow(window);
}

} // namespace
