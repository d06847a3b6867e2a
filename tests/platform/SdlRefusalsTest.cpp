// What the player is told, and what the game keeps, when SDL or the mixer refuses to start, to
// open a window, a renderer, a texture or a sound device. A working machine never refuses, so
// this binary stands in front of those calls: Linux resolves the game's calls in the program
// before the libraries, and each function below fails when a test asks and otherwise hands the
// call on to SDL.
#include <gtest/gtest.h>

#if defined(__linux__)

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include "graphics/DrawingDevice.h"
#include "graphics/RgbaImage.h"
#include "platform/SdlDrawingDevice.h"
#include "platform/SdlMixer.h"
#include "platform/SdlPlatform.h"

#include <sstream>

namespace {

// How many of the next calls of each are refused.
struct Refusals {
    int start, subsystem, window, renderer, texture, audio;
} refuse{};

template <typename Function> Function sdlsOwn(Function, const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool refused(int& count) {
    if (count == 0)
        return false;
    --count;
    SDL_SetError("refused by the test");
    return true;
}

} // namespace

extern "C" {

int SDL_Init(Uint32 flags) {
    static const auto real = sdlsOwn(&SDL_Init, "SDL_Init");
    return refused(refuse.start) ? -1 : real(flags);
}

int SDL_InitSubSystem(Uint32 flags) {
    static const auto real = sdlsOwn(&SDL_InitSubSystem, "SDL_InitSubSystem");
    return refused(refuse.subsystem) ? -1 : real(flags);
}

SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags) {
    static const auto real = sdlsOwn(&SDL_CreateWindow, "SDL_CreateWindow");
    return refused(refuse.window) ? nullptr : real(title, x, y, w, h, flags);
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags) {
    static const auto real = sdlsOwn(&SDL_CreateRenderer, "SDL_CreateRenderer");
    return refused(refuse.renderer) ? nullptr : real(window, index, flags);
}

SDL_Texture* SDL_CreateTexture(SDL_Renderer* renderer, Uint32 format, int access, int w, int h) {
    static const auto real = sdlsOwn(&SDL_CreateTexture, "SDL_CreateTexture");
    return refused(refuse.texture) ? nullptr : real(renderer, format, access, w, h);
}

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize) {
    static const auto real = sdlsOwn(&Mix_OpenAudio, "Mix_OpenAudio");
    return refused(refuse.audio) ? -1 : real(frequency, format, channels, chunkSize);
}

} // extern "C"

namespace {

class SdlRefusals : public ::testing::Test {
  protected:
    void TearDown() override { refuse = {}; }
};

TEST_F(SdlRefusals, StartAndWindowSaySoAndLeaveNothingOpen) {
    std::string error;
    {
        refuse.start = 1;
        SdlSession sdl;
        EXPECT_FALSE(sdl.start(error));
        EXPECT_EQ(error, "cannot start SDL video: refused by the test");
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);

    SdlSession sdl;
    ASSERT_TRUE(sdl.start(error)) << error;
    refuse.window = 1;
    SdlWindow window;
    EXPECT_FALSE(window.create(640, 480, error));
    EXPECT_EQ(error, "cannot create the window: refused by the test");
    EXPECT_EQ(window.handle(), nullptr);
}

TEST_F(SdlRefusals, TheDrawingDeviceFallsBackToSoftwareAndKeepsItsFrameWhenTexturesAreRefused) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "offscreen video driver leaks under LeakSanitizer";
#endif
    SdlSession sdl;
    std::string error;
    ASSERT_TRUE(sdl.start(error)) << error;
    SDL_Window* window = SDL_CreateWindow("Marrowgast", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();

    refuse.renderer = 2;
    EXPECT_FALSE(createWindowDrawingDevice(window, 640, 480, error));
    EXPECT_EQ(error, "cannot create the drawing device: refused by the test");
    refuse.texture = 1;
    EXPECT_FALSE(createWindowDrawingDevice(window, 640, 480, error));
    EXPECT_EQ(error, "cannot create the back buffer: refused by the test");
    // The refused device let its renderer go: the window takes another.
    EXPECT_EQ(SDL_GetRenderer(window), nullptr);

    refuse.renderer = 1;
    std::unique_ptr<DrawingDevice> device = createWindowDrawingDevice(window, 640, 480, error);
    ASSERT_TRUE(device) << error;
    SDL_RendererInfo info{};
    ASSERT_EQ(SDL_GetRendererInfo(SDL_GetRenderer(window), &info), 0);
    EXPECT_STREQ(info.name, "software");

    device->beginFrame();
    device->clear(0x00102030);
    device->endFrame();
    refuse.texture = 1;
    EXPECT_FALSE(device->resetDevice(800, 600, false));
    RgbaImage image;
    ASSERT_TRUE(device->readBackBuffer(image));
    EXPECT_EQ(
        std::vector<int>({image.width, image.height, image.pixels[0], image.pixels[1], image.pixels[2]}),
        std::vector<int>({640, 480, 0x10, 0x20, 0x30}));

    // A lost device whose texture cannot be made again shows nothing until one can be.
    refuse.texture = 1;
    device->restoreDevice(true);
    EXPECT_FALSE(device->readBackBuffer(image));
    EXPECT_EQ(image.width, 0);
    device->restoreDevice(false);
    ASSERT_TRUE(device->readBackBuffer(image));
    EXPECT_EQ(std::vector<int>({image.width, image.pixels[0], image.pixels[1], image.pixels[2]}),
              std::vector<int>({640, 0x10, 0x20, 0x30}));
    device.reset();
    SDL_DestroyWindow(window);
}

TEST_F(SdlRefusals, AMixerRefusedItsDevicePlaysSilentlyAndClosesAudio) {
    refuse.subsystem = 1;
    std::string error;
    EXPECT_EQ(createSdlMixer(error), nullptr);
    EXPECT_EQ(error, "SDL audio: refused by the test");
    refuse.audio = 1;
    EXPECT_EQ(createSdlMixer(error), nullptr);
    EXPECT_EQ(error, "sound mixer: refused by the test");
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

    refuse.audio = 1;
    std::ostringstream diagnostics;
    EXPECT_TRUE(initSound(diagnostics));
    EXPECT_EQ(diagnostics.str(), "marrowgast: playing without sound (sound mixer: refused by the test)\n");
    // The refused mixer is no open one: the next opens.
    EXPECT_TRUE(createSdlMixer(error)) << error;
}

} // namespace

#endif
