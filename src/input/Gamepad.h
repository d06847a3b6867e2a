#pragma once
#include "input/Keyboard.h"

#include <array>

// A gamepad as the game reads it, whatever the platform calls its parts: the d-pad and the
// left stick are the arrow keys, the south button (A on most pads) the space bar. Back held
// with Start is Escape (the game quits when one of them is let go), Back held with the north
// button (Y) is F12, full screen: chords no thumb hits in play.
enum class PadButton { South, North, Back, Start, DpadUp, DpadDown, DpadLeft, DpadRight };
inline constexpr int PadButtonCount = 8;

// The stick counts as pushed past half way and as let go inside a quarter, so a stick held
// steady near the edge gives one press, not a stream of them.
inline constexpr int StickPressed = 16384;
inline constexpr int StickReleased = 8192;

// One pad's buttons and stick, and the keys it holds because of them.
struct GamepadState {
    std::array<bool, PadButtonCount> buttons{};
    bool stickLeft = false;
    bool stickRight = false;
    bool stickUp = false;
    bool stickDown = false;
    // The keys the pad gave the game as pressed, in PadKeys order.
    std::array<bool, 7> held{};
};

// Each change queues the key events it makes through queueSourceKeyEvent with `source` (1 to
// 7): a key held by the keyboard or another pad as well changes nothing the game sees.
void setPadButton(InputState& input, int source, GamepadState& pad, PadButton button, bool isDown);
// The left stick's axis, x (0) or y (1, down positive), from -32768 to 32767.
void setPadStick(InputState& input, int source, GamepadState& pad, int axis, int value);
// The pad was unplugged: every key it held is let go.
void releasePad(InputState& input, int source, GamepadState& pad);
