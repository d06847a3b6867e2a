#include "platform/SdlKeyboard.h"

#include "input/KeyCodes.h"

#include <gtest/gtest.h>

namespace {

SDL_Event keyEvent(Uint32 type, SDL_Scancode scancode, Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    return event;
}

TEST(SdlKeyboard, TranslatesTheGameKeysToTheirCodes) {
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_ESCAPE), KeyCodeEscape);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_SPACE), KeyCodeSpace);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F9), KeyCodeF9);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F10), KeyCodeF10);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F11), KeyCodeF11);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F12), KeyCodeF12);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_PRINTSCREEN), KeyCodePrintScreen);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_UP), KeyCodeUp);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_LEFT), KeyCodeLeft);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_RIGHT), KeyCodeRight);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_DOWN), KeyCodeDown);
    // The numbers the player's key table relies on.
    EXPECT_EQ(KeyCodeLeft, 203);
    EXPECT_EQ(KeyCodeRight, 205);
    EXPECT_EQ(KeyCodeUp, 200);
    EXPECT_EQ(KeyCodeDown, 208);
    EXPECT_EQ(KeyCodeSpace, 57);
}

TEST(SdlKeyboard, TranslatesOrdinaryKeysToTheirScanCodes) {
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_A), 0x1E);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_Q), 0x10);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_Z), 0x2C);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_1), 0x02);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_0), 0x0B);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_RETURN), 0x1C);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_LSHIFT), 0x2A);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_RSHIFT), 0x36);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_LCTRL), 0x1D);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_RCTRL), 0x9D);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_RALT), 0xB8);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F1), 0x3B);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_7), 0x47);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_ENTER), 0x9C);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_DIVIDE), 0xB5);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_HOME), 0xC7);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_DELETE), 0xD3);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_APPLICATION), 0xDD);
}

TEST(SdlKeyboard, KeysWithoutAScanCodeAndNonsenseScancodesHaveNone) {
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F24), 0);
    EXPECT_EQ(keyCodeFromScancode(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES)), 0);
    KeyEvent out{};
    EXPECT_FALSE(translateKeyEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F24), out));
}

TEST(SdlKeyboard, PressAndReleaseTranslateButRepeatsAndOtherEventsDoNot) {
    KeyEvent out{};
    ASSERT_TRUE(translateKeyEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_RIGHT), out));
    EXPECT_EQ(out.code, KeyCodeRight);
    EXPECT_EQ(out.pressed, 1);
    ASSERT_TRUE(translateKeyEvent(keyEvent(SDL_KEYUP, SDL_SCANCODE_RIGHT), out));
    EXPECT_EQ(out.code, KeyCodeRight);
    EXPECT_EQ(out.pressed, 0);
    EXPECT_FALSE(translateKeyEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_RIGHT, 1), out));

    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    EXPECT_FALSE(translateKeyEvent(text, out));
}

class Recorder : public KeyReceiver {
  public:
    std::vector<KeyEvent> events;
    void dispatchKey(int code, int pressed) override { events.push_back({code, pressed}); }
    void releaseHeldKey(int) override { ADD_FAILURE() << "no focus change here"; }
};

TEST(SdlKeyboard, AHeldKeyReachesTheGameAsOnePressAndOneRelease) {
    InputState input;
    initInput(input);
    queueSdlKeyEvent(input, keyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE));
    queueSdlKeyEvent(input, keyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE, 1));
    queueSdlKeyEvent(input, keyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE, 1));
    queueSdlKeyEvent(input, keyEvent(SDL_KEYUP, SDL_SCANCODE_SPACE));
    Recorder recorder;
    pollInput(input, recorder);
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].code, KeyCodeSpace);
    EXPECT_EQ(recorder.events[0].pressed, 1);
    EXPECT_EQ(recorder.events[1].code, KeyCodeSpace);
    EXPECT_EQ(recorder.events[1].pressed, 0);
}

} // namespace
