#include "platform/SdlKeyboard.h"

#include "input/KeyCodes.h"

#include <gtest/gtest.h>

#include <utility>

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

TEST(SdlKeyboard, TranslatesTheGameKeysAndOrdinaryKeysToTheirCodes) {
    // The game's own keys, and one plain, one extended and one keypad key of the rest.
    const std::pair<SDL_Scancode, int> cases[] = {
        {SDL_SCANCODE_ESCAPE, KeyCodeEscape},
        {SDL_SCANCODE_SPACE, KeyCodeSpace},
        {SDL_SCANCODE_F9, KeyCodeF9},
        {SDL_SCANCODE_F10, KeyCodeF10},
        {SDL_SCANCODE_F11, KeyCodeF11},
        {SDL_SCANCODE_F12, KeyCodeF12},
        {SDL_SCANCODE_PRINTSCREEN, KeyCodePrintScreen},
        {SDL_SCANCODE_UP, 200},
        {SDL_SCANCODE_LEFT, 203},
        {SDL_SCANCODE_RIGHT, 205},
        {SDL_SCANCODE_DOWN, 208},
        {SDL_SCANCODE_A, 0x1E},
        {SDL_SCANCODE_RCTRL, 0x9D},
        {SDL_SCANCODE_KP_ENTER, 0x9C},
    };
    for (const auto& [scancode, code] : cases)
        EXPECT_EQ(keyCodeFromScancode(scancode), code) << SDL_GetScancodeName(scancode);
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
