#include "platform/SdlGamepad.h"

#include "input/Gamepad.h"
#include "input/KeyCodes.h"
#include "input/Keyboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the game's input poll delivers, as "KEY+" and "KEY-" words.
class Deliveries : public KeyReceiver {
  public:
    std::string text;
    void dispatchKey(int code, int pressed) override {
        text += (text.empty() ? "" : " ") + std::to_string(code) + (pressed != 0 ? "+" : "-");
    }
    void releaseHeldKey(int code) override { text += " owed" + std::to_string(code); }
};

// A pad plugged in through SDL's virtual joystick, read the way the game's event pump reads it.
class VirtualPad : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pads.start()) << SDL_GetError();
        initInput(input);
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);
        ASSERT_NE(joystick, nullptr) << SDL_GetError();
        pump();
    }
    void TearDown() override {
        if (joystick)
            SDL_JoystickClose(joystick);
        if (index >= 0)
            SDL_JoystickDetachVirtual(index);
    }
    void pump() {
        SDL_PumpEvents();
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1) == 1)
            pads.handleEvent(input, event);
    }
    void button(SDL_GameControllerButton which, bool down) {
        SDL_JoystickSetVirtualButton(joystick, which, down ? 1 : 0);
        pump();
    }
    void stick(SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(joystick, axis, value);
        pump();
    }
    // What the next input poll delivers.
    std::string poll() {
        Deliveries got;
        pollInput(input, got);
        return got.text;
    }

    SdlGamepads pads;
    InputState input;
    int index = -1;
    SDL_Joystick* joystick = nullptr;
};

const std::string Left = std::to_string(KeyCodeLeft);
const std::string Right = std::to_string(KeyCodeRight);
const std::string Up = std::to_string(KeyCodeUp);
const std::string Down = std::to_string(KeyCodeDown);
const std::string Space = std::to_string(KeyCodeSpace);

TEST_F(VirtualPad, DpadStickAndSouthButtonAreTheArrowsAndSpace) {
    EXPECT_EQ(pads.count(), 1);
    const SDL_GameControllerButton dpad[] = {SDL_CONTROLLER_BUTTON_DPAD_LEFT,
                                             SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_UP,
                                             SDL_CONTROLLER_BUTTON_DPAD_DOWN};
    for (const bool down : {true, false}) {
        button(SDL_CONTROLLER_BUTTON_A, down);
        for (const SDL_GameControllerButton arrow : dpad)
            button(arrow, down);
        button(SDL_CONTROLLER_BUTTON_B, down); // no key of the game
        const std::string sign = down ? "+" : "-";
        EXPECT_EQ(poll(), Space + sign + " " + Left + sign + " " + Right + sign + " " + Up + sign + " " +
                              Down + sign);
    }

    // Inside the dead zone nothing; pushed, one press however long and however it wobbles
    // short of the middle; let go, one release.
    stick(SDL_CONTROLLER_AXIS_LEFTX, 6000);
    EXPECT_EQ(poll(), "");
    stick(SDL_CONTROLLER_AXIS_LEFTX, 30000);
    stick(SDL_CONTROLLER_AXIS_LEFTX, 14000);
    stick(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    stick(SDL_CONTROLLER_AXIS_LEFTY, 20000);
    EXPECT_EQ(poll(), Right + "+ " + Down + "+");
    stick(SDL_CONTROLLER_AXIS_LEFTX, 2000);
    stick(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    EXPECT_EQ(poll(), Right + "- " + Left + "+");
    // The d-pad's Left with the stick's: one key, let go when both are.
    button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    stick(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(poll(), "");
    button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(poll(), Left + "-");
}

TEST_F(VirtualPad, KeyboardAndPadTogetherChangeAKeyOnlyWhenTheirHeldStateDoes) {
    queueSourceKeyEvent(input, KeyboardSource, KeyCodeSpace, 1);
    button(SDL_CONTROLLER_BUTTON_A, true);
    queueSourceKeyEvent(input, KeyboardSource, KeyCodeSpace, 0);
    EXPECT_EQ(poll(), Space + "+");
    button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(poll(), Space + "-");
    // Lost focus forgets who held what; the pad's release afterwards reaches the game alone.
    button(SDL_CONTROLLER_BUTTON_A, true);
    poll();
    setKeyboardActive(input, false);
    setKeyboardActive(input, true);
    queueSourceKeyEvent(input, KeyboardSource, KeyCodeSpace, 1);
    EXPECT_EQ(poll(), " owed" + Space + " " + Space + "+");
}

TEST_F(VirtualPad, BackWithStartQuitsBackWithNorthTogglesFullScreenUnpluggingLetsGo) {
    button(SDL_CONTROLLER_BUTTON_START, true);
    button(SDL_CONTROLLER_BUTTON_Y, true);
    EXPECT_EQ(poll(), "");
    button(SDL_CONTROLLER_BUTTON_BACK, true);
    button(SDL_CONTROLLER_BUTTON_Y, false);
    button(SDL_CONTROLLER_BUTTON_START, false);
    EXPECT_EQ(poll(), std::to_string(KeyCodeEscape) + "+ " + std::to_string(KeyCodeF12) + "+ " +
                          std::to_string(KeyCodeF12) + "- " + std::to_string(KeyCodeEscape) + "-");

    button(SDL_CONTROLLER_BUTTON_A, true);
    poll();
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    SDL_JoystickDetachVirtual(index);
    index = -1;
    pump();
    EXPECT_EQ(pads.count(), 0);
    EXPECT_EQ(poll(), Space + "-");
    // A pad let go at once releases what it held, whatever SDL says of its buttons.
    GamepadState held;
    setPadButton(input, 2, held, PadButton::DpadUp, true);
    releasePad(input, 2, held);
    EXPECT_EQ(poll(), Up + "+ " + Up + "-");
}

TEST_F(VirtualPad, SevenPadsAreReadAndAnEighthIsIgnored) {
    std::vector<int> more;
    std::vector<SDL_Joystick*> opened;
    for (int i = 1; i < MostSources; ++i) {
        more.push_back(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                 SDL_CONTROLLER_BUTTON_MAX, 0));
        opened.push_back(SDL_JoystickOpen(more.back()));
    }
    pump();
    EXPECT_EQ(pads.count(), MostSources - 1);
    // The seventh pad plays; the eighth is not the game's.
    SDL_JoystickSetVirtualButton(opened[MostSources - 3], SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(opened[MostSources - 2], SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    pump();
    EXPECT_EQ(poll(), Space + "+");
    // Another reader takes the eighth; its pads close with it, though SDL's controllers stay
    // started for this reader.
    const SDL_JoystickID eighth = SDL_JoystickGetDeviceInstanceID(more.back());
    {
        SdlGamepads other;
        ASSERT_TRUE(other.start());
        SDL_Event added{};
        added.cdevice.type = SDL_CONTROLLERDEVICEADDED;
        added.cdevice.which = more.back();
        other.handleEvent(input, added);
        EXPECT_EQ(other.count(), 1);
        EXPECT_NE(SDL_GameControllerFromInstanceID(eighth), nullptr);
    }
    EXPECT_EQ(SDL_GameControllerFromInstanceID(eighth), nullptr);
    for (std::size_t i = 0; i < more.size(); ++i) {
        SDL_JoystickClose(opened[i]);
        SDL_JoystickDetachVirtual(more[i]);
    }
}

} // namespace
