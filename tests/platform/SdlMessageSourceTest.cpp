#include "platform/SdlPlatform.h"
#include "platform/SdlWindowControl.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct SdlEvents : ::testing::Test {
    SdlSession sdl;
    SdlMessageSource messages;
    std::vector<SDL_Keycode> keys;
    int targetResets = 0;
    int deviceResets = 0;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sdl.start(error)) << error;
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        messages.onKey = [this](const SDL_Event& e) { keys.push_back(e.key.keysym.sym); };
        // A gamepad event shows in the same list, where it came.
        messages.onPad = [this](const SDL_Event& e) { keys.push_back(-static_cast<SDL_Keycode>(e.type)); };
        messages.onRenderReset = [this](bool all) { ++(all ? deviceResets : targetResets); };
    }
    static void pushWindowEvent(Uint8 what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        SDL_PushEvent(&e);
    }
    static void push(Uint32 type, SDL_Keycode sym = 0) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = sym;
        SDL_PushEvent(&e);
    }
};

TEST_F(SdlEvents, KeysAndPadsAllGoToTheirReadersAndOneWindowMessageIsTakenPerPass) {
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    push(SDL_KEYDOWN, SDLK_a);
    push(SDL_MOUSEMOTION);
    push(SDL_JOYBUTTONDOWN);
    push(SDL_CONTROLLERAXISMOTION); // the first of the pads' events
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    push(SDL_KEYDOWN, SDLK_b);
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);

    EXPECT_EQ(messages.takeMessage(), WindowMessage::Deactivate);
    EXPECT_EQ(keys, (std::vector<SDL_Keycode>{SDLK_a, -SDL_CONTROLLERAXISMOTION, SDLK_b}));
    EXPECT_EQ(messages.takeMessage(), WindowMessage::Activate);
    EXPECT_EQ(messages.takeMessage(), WindowMessage::Close);
    EXPECT_EQ(messages.takeMessage(), WindowMessage::None);
}

TEST_F(SdlEvents, QuitMinimiseAndRenderResetsAreRecognised) {
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    push(SDL_RENDER_TARGETS_RESET);
    push(SDL_RENDER_DEVICE_RESET);
    push(SDL_QUIT);
    push(SDL_KEYUP, SDLK_UP); // a pass's only key
    EXPECT_EQ(messages.takeMessage(), WindowMessage::Deactivate);
    EXPECT_EQ(keys, std::vector<SDL_Keycode>{SDLK_UP});
    EXPECT_EQ(messages.takeMessage(), WindowMessage::None);
    EXPECT_EQ(std::pair(targetResets, deviceResets), std::pair(1, 0)); // textures kept
    EXPECT_EQ(messages.takeMessage(), WindowMessage::None);
    EXPECT_EQ(std::pair(targetResets, deviceResets), std::pair(1, 1));
    EXPECT_EQ(messages.takeMessage(), WindowMessage::Quit);
}

TEST_F(SdlEvents, TheWindowOpensAtTheTopLeftWithTheRequestedClientSize) {
    SdlWindow window;
    std::string error;
    ASSERT_TRUE(window.create(640, 480, error)) << error;
    int w = 0, h = 0;
    SDL_GetWindowSize(window.handle(), &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_STREQ(SDL_GetWindowTitle(window.handle()), "Marrowgast");
    EXPECT_FALSE(SDL_GetWindowFlags(window.handle()) & SDL_WINDOW_RESIZABLE);
}

// Full screen covers the display and hides the cursor; a window is placed only as a window.
TEST_F(SdlEvents, FullScreenCoversTheDisplayAndTheWindowComesBackWherePlaced) {
    SdlWindow window;
    std::string error;
    ASSERT_TRUE(window.create(640, 480, error)) << error;
    SdlWindowControl control(window.handle());
    SDL_Rect display{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0) << SDL_GetError();
    const auto form = [&] {
        int w = 0, h = 0, left = 0, top = 0;
        SDL_GetWindowSize(window.handle(), &w, &h);
        control.windowPosition(left, top);
        return std::vector<int>({w, h, left, top,
                                 (SDL_GetWindowFlags(window.handle()) & SDL_WINDOW_FULLSCREEN) != 0,
                                 SDL_ShowCursor(SDL_QUERY)});
    };
    control.setWindowForm(true);
    control.placeWindow(10, 20, 800, 600);
    EXPECT_EQ(form(), std::vector<int>({display.w, display.h, display.x, display.y, 1, SDL_DISABLE}));
    control.setWindowForm(false);
    control.placeWindow(10, 20, 800, 600);
    EXPECT_EQ(form(), std::vector<int>({800, 600, 10, 20, 0, SDL_ENABLE}));
}

// SDL ends with the session that started it. A window class the user named wins.
TEST(SdlSessionEnd, QuitsSdl) {
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", "mine", 1);
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "mine too", 1);
    {
        SdlSession sdl;
        std::string error;
        ASSERT_TRUE(sdl.start(error)) << error;
        EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    }
    // On Windows SDL_getenv answers in one buffer: the first is copied before the second is asked.
    const std::string x11 = SDL_getenv("SDL_VIDEO_X11_WMCLASS");
    EXPECT_EQ(x11 + ", " + SDL_getenv("SDL_VIDEO_WAYLAND_WMCLASS"), "mine, mine too");
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

} // namespace
