#include "app/KeyCommands.h"
#include "app/DisplayMode.h"
#include "app/GameHooks.h"
#include "graphics/Graphics.h"
#include "input/KeyCodes.h"
#include "platform/RecordingWindowControl.h"
#include "platform/SdlDrawingDevice.h"

#include "world/WorldFixture.h"

#include <filesystem>

namespace {

const char* FlatRoom = "platform start 0 30 end 39 30\n"
                       "entrypoint position 2 29 side left\n"
                       "entrypoint position 36 29 side right\n";

// A world in a scratch directory, drawn on the headless device, with a recording window.
class KeyCommands : public WorldFixture {
  protected:
    KeyCommands() {
        writeRoom(1, FlatRoom);
        EXPECT_TRUE(setup->useHeadlessDevice(640, 480)) << setup->error();
        theDisplay.window = &window;
    }
    ~KeyCommands() override { theDisplay.window = nullptr; }

    void release(int code) { dispatchKey(code, 0); }
    void press(int code) { dispatchKey(code, 1); }
    int backBufferWidth() const { return theGraphics.device->backBufferWidth(); }
    int backBufferHeight() const { return theGraphics.device->backBufferHeight(); }
    void drawFrame() {
        beginFrame();
        renderWorld();
        endFrame();
    }

    RecordingWindowControl window;
};

TEST_F(KeyCommands, EscapeQuitsOnReleaseOnly) {
    load();
    press(KeyCodeEscape);
    EXPECT_FALSE(world.quitRequested);
    release(KeyCodeEscape);
    EXPECT_TRUE(world.quitRequested);
    EXPECT_NE(updateWorld(), 0);
}

TEST_F(KeyCommands, FunctionKeysChooseTheSizeOnReleaseAndF12TogglesTheForm) {
    load();
    press(KeyCodeF11);
    EXPECT_EQ(backBufferWidth(), 640);
    const struct {
        int key, width, height;
        bool fullScreen;
    } steps[] = {{KeyCodeF11, 1024, 768, false},
                 {KeyCodeF9, 640, 480, false},
                 {KeyCodeF10, 800, 600, false},
                 {KeyCodeF12, 800, 600, true},
                 {KeyCodeF12, 800, 600, false}};
    for (const auto& s : steps) {
        release(s.key);
        EXPECT_EQ(backBufferWidth(), s.width) << s.key;
        EXPECT_EQ(backBufferHeight(), s.height) << s.key;
        EXPECT_EQ(theDisplay.fullScreen, s.fullScreen) << s.key;
        EXPECT_EQ(window.fullScreen, s.fullScreen) << s.key;
        if (!s.fullScreen) {
            EXPECT_EQ(window.width, s.width) << s.key;
            EXPECT_EQ(window.height, s.height) << s.key;
        }
    }
}

TEST_F(KeyCommands, EveryEventAlsoReachesThePlayer) {
    load();
    press(KeyCodeRight);
    EXPECT_EQ(player().keys, KeyRight);
    press(KeyCodeF12); // a command key on press does nothing, and the player ignores it
    EXPECT_FALSE(theDisplay.fullScreen);
    EXPECT_EQ(player().keys, KeyRight);
    release(KeyCodeRight);
    EXPECT_EQ(player().keys, 0u);
}

TEST_F(KeyCommands, PrintScreenTwiceInOneFrameWritesOneFile) {
    load();
    release(KeyCodePrintScreen);
    release(KeyCodePrintScreen);
    const std::string screenshot = dir.path(ScreenshotFileName);
    ASSERT_FALSE(std::filesystem::exists(screenshot));
    drawFrame();
    ASSERT_TRUE(std::filesystem::exists(screenshot));
    EXPECT_FALSE(theDisplay.screenshotRequested);
    std::filesystem::remove(screenshot);
    drawFrame();
    EXPECT_FALSE(std::filesystem::exists(screenshot));
}

TEST_F(KeyCommands, KeysHeldWhileTheWindowWasAwayAreReleasedWithoutCommands) {
    load();
    InputState input;
    initInput(input);
    GameHooks hooks(input);
    queueKeyEvent(input, KeyCodeRight, 1);
    queueKeyEvent(input, KeyCodeEscape, 1);
    hooks.pollInput();
    ASSERT_EQ(player().keys, KeyRight);
    Engine engine;
    windowProcedure(engine, WindowMessage::Deactivate, hooks);
    queueKeyEvent(input, KeyCodeEscape, 0); // released elsewhere: never seen
    windowProcedure(engine, WindowMessage::Activate, hooks);
    hooks.pollInput();
    EXPECT_EQ(player().keys, 0u);
    EXPECT_FALSE(world.quitRequested);
}

TEST_F(KeyCommands, DeactivationSilencesEverythingAndNothingResumes) {
    load();
    InputState input;
    initInput(input);
    GameHooks hooks(input);
    Engine engine;
    playSound("res/sound/laser.wav");
    windowProcedure(engine, WindowMessage::Deactivate, hooks);
    windowProcedure(engine, WindowMessage::Activate, hooks);
    ASSERT_EQ(sounds.requests().size(), 2u);
    EXPECT_EQ(RecordingSoundSink::traceLine(sounds.requests()[1]), "stop");
}

} // namespace
