#pragma once
#include "app/FrameLoop.h"
#include "input/Keyboard.h"

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

  private:
    InputState& input;
};
