#include "platform/SdlKeyboard.h"

#include "input/KeyCodes.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

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

TEST(SdlKeyboard, TranslatesTheGameKeysAndOrdinaryKeysToTheirCodesAndOthersToNone) {
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
        // Keys without a scan code, and nonsense scancodes, have none.
        {SDL_SCANCODE_UNKNOWN, 0},
        {SDL_SCANCODE_F24, 0},
        {static_cast<SDL_Scancode>(SDL_NUM_SCANCODES), 0},
    };
    for (const auto& [scancode, code] : cases)
        EXPECT_EQ(keyCodeFromScancode(scancode), code) << SDL_GetScancodeName(scancode);
}

class Recorder : public KeyReceiver {
  public:
    std::vector<std::pair<int, int>> events;
    void dispatchKey(int code, int pressed) override { events.emplace_back(code, pressed); }
    void releaseHeldKey(int) override { ADD_FAILURE() << "no focus change here"; }
};

TEST(SdlKeyboard, AHeldKeyReachesTheGameAsOnePressAndOneReleaseAndNothingElseDoes) {
    InputState input;
    initInput(input);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    queueSdlKeyEvent(input, keyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE));
    queueSdlKeyEvent(input, keyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE, 1));
    queueSdlKeyEvent(input, text);
    queueSdlKeyEvent(input, keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F24));
    queueSdlKeyEvent(input, keyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE, 1));
    queueSdlKeyEvent(input, keyEvent(SDL_KEYUP, SDL_SCANCODE_SPACE));
    Recorder recorder;
    pollInput(input, recorder);
    EXPECT_EQ(recorder.events, (std::vector<std::pair<int, int>>{{KeyCodeSpace, 1}, {KeyCodeSpace, 0}}));
}

} // namespace
