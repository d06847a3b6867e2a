#include "input/Gamepad.h"

#include "input/KeyCodes.h"

namespace {

constexpr int PadKeys[7] = {KeyCodeLeft,  KeyCodeRight,  KeyCodeUp, KeyCodeDown,
                            KeyCodeSpace, KeyCodeEscape, KeyCodeF12};

bool down(const GamepadState& pad, PadButton button) {
    return pad.buttons[static_cast<std::size_t>(button)];
}

// The keys the pad's state holds, compared with what it gave the game: the differences go out.
void update(InputState& input, int source, GamepadState& pad) {
    const bool back = down(pad, PadButton::Back);
    const std::array<bool, 7> now = {
        down(pad, PadButton::DpadLeft) || pad.stickLeft,
        down(pad, PadButton::DpadRight) || pad.stickRight,
        down(pad, PadButton::DpadUp) || pad.stickUp,
        down(pad, PadButton::DpadDown) || pad.stickDown,
        down(pad, PadButton::South),
        back && down(pad, PadButton::Start),
        back && down(pad, PadButton::North),
    };
    for (std::size_t key = 0; key < now.size(); ++key) {
        if (now[key] == pad.held[key])
            continue;
        pad.held[key] = now[key];
        queueSourceKeyEvent(input, source, PadKeys[key], now[key] ? 1 : 0);
    }
}

// Pushed past StickPressed, let go inside StickReleased; between them it stays as it was.
void readDirection(bool& negative, bool& positive, int value) {
    if (value <= -StickPressed)
        negative = true;
    else if (value > -StickReleased)
        negative = false;
    if (value >= StickPressed)
        positive = true;
    else if (value < StickReleased)
        positive = false;
}

} // namespace

void setPadButton(InputState& input, int source, GamepadState& pad, PadButton button, bool isDown) {
    pad.buttons[static_cast<std::size_t>(button)] = isDown;
    update(input, source, pad);
}

void setPadStick(InputState& input, int source, GamepadState& pad, int axis, int value) {
    if (axis == 0)
        readDirection(pad.stickLeft, pad.stickRight, value);
    else
        readDirection(pad.stickUp, pad.stickDown, value);
    update(input, source, pad);
}

void releasePad(InputState& input, int source, GamepadState& pad) {
    pad.buttons.fill(false);
    pad.stickLeft = pad.stickRight = pad.stickUp = pad.stickDown = false;
    update(input, source, pad);
}
