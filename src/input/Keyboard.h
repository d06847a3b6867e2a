#pragma once
#include "input/KeyCodes.h"

#include <array>
#include <cstdint>
#include <vector>

// Where polled key events go. The game wires this to the key commands and the player;
// tests wire it to a recorder.
class KeyReceiver {
  public:
    virtual ~KeyReceiver() = default;
    // A key the user pressed or released: global commands on release, then the player.
    virtual void dispatchKey(int code, int pressed) = 0;
    // A key that was let go while the window was inactive. Only the player's held keys
    // change: no command runs, so an Escape held while focus left does not quit.
    virtual void releaseHeldKey(int code) = 0;
};

struct KeyEvent {
    int code = 0;
    int pressed = 0;
};

// The keyboard's state, one instance for the whole run.
struct InputState {
    bool keyboardCreated = false;
    // Events are buffered only while acquired, that is while the window is active.
    bool acquired = false;
    // Events buffered since the last poll, oldest first.
    std::vector<KeyEvent> eventBuffer;
    // The batch being delivered; kept so that polling reuses its memory.
    std::vector<KeyEvent> pollBuffer;
    // Keys delivered as pressed and not yet as released.
    std::array<bool, KeyCodeCount> heldKeys{};
    // Keys that were held when the window lost focus and whose release the player is owed.
    std::array<bool, KeyCodeCount> releasesOwed{};
    bool anyReleaseOwed = false;
    // Which sources hold each key while the window is active: bit 0 the keyboard, bits 1 to 7
    // the gamepads (see queueSourceKeyEvent).
    std::array<std::uint8_t, KeyCodeCount> heldBySource{};
};

// The keyboard's source for queueSourceKeyEvent; gamepads are 1 to 7.
inline constexpr int KeyboardSource = 0;
inline constexpr int MostSources = 8;

// Creates the keyboard, acquired. It cannot fail: the platform's events are already there.
void initInput(InputState& input);

// Acquires the keyboard when the window becomes active and unacquires it otherwise.
// Unacquiring drops whatever is buffered. Does nothing before `initInput`.
void setKeyboardActive(InputState& input, bool active);

// The platform's event pump hands every translated key event here, in the order it
// happened. Dropped while the keyboard is not acquired or when the code is out of range.
void queueKeyEvent(InputState& input, int code, int pressed);

// A key event from one of several sources that may hold the same key (the keyboard and the
// gamepads): it is queued only when no other source holds the key, so the game sees a press
// when the first source takes the key and a release when the last lets it go. The keyboard's
// events otherwise pass exactly as they come. Dropped as queueKeyEvent drops them.
void queueSourceKeyEvent(InputState& input, int source, int code, int pressed);

// Runs before every fixed step: first the releases owed since the window came back,
// then every event buffered since the last poll, in order.
void pollInput(InputState& input, KeyReceiver& receiver);
