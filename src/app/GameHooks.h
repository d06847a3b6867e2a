#pragma once
#include "app/FrameLoop.h"
#include "input/Keyboard.h"

#include <cstdint>

class RunRecorder;

// The game's frame: the keyboard feeds the key commands and the player, the world steps
// and draws itself on the drawing device. The game and the replay tool run the same hooks.
class GameHooks : public FrameHooks, public KeyReceiver {
  public:
    explicit GameHooks(InputState& input) : input(input) {}

    void pollInput() override;
    int updateWorld() override;
    void beginFrame() override;
    void renderWorld() override;
    void endFrame() override;
    void setKeyboardActive(bool active) override;
    void stopAllSounds() override;

    void dispatchKey(int code, int pressed) override;
    void releaseHeldKey(int code) override;

    // Steps run so far; the next input poll is that of step `stepsRun() + 1`.
    std::int64_t stepsRun() const { return steps; }
    // Where the run is recorded (marrowgast --record), or null.
    RunRecorder* recorder = nullptr;

  private:
    InputState& input;
    std::int64_t steps = 0;
};
