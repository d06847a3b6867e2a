#pragma once
#include "input/Gamepad.h"

#include <SDL.h>

#include <array>

// The gamepads, through SDL's game-controller interface: each pad plugged in, at start or while
// the game runs, is opened and read as input/Gamepad.h says, and let go when it is unplugged.
// Up to seven at once; more are ignored.
class SdlGamepads {
  public:
    SdlGamepads() = default;
    ~SdlGamepads();
    SdlGamepads(const SdlGamepads&) = delete;
    SdlGamepads& operator=(const SdlGamepads&) = delete;

    // Starts SDL's game controllers; false when SDL cannot, and the game plays on without pads.
    // SDL then reports the pads already plugged in as plugged.
    bool start();

    // Every game-controller event goes here; any other event is ignored.
    void handleEvent(InputState& input, const SDL_Event& event);

    // How many pads are open.
    int count() const;

  private:
    struct Pad {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID id = -1;
        GamepadState state;
    };
    // Slot i is source i + 1 of the keyboard's combined held state.
    Pad* find(SDL_JoystickID id);
    std::array<Pad, MostSources - 1> pads{};
    bool started = false;
};
