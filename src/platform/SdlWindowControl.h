#pragma once
#include "platform/WindowControl.h"

struct SDL_Window;

// The game window's form and place through SDL. Full screen is SDL's desktop full screen: the
// display mode is not changed, the back buffer is shown scaled on it.
class SdlWindowControl final : public WindowControl {
  public:
    explicit SdlWindowControl(SDL_Window* window) : window(window) {}
    void setWindowForm(bool fullScreen) override;
    void windowPosition(int& left, int& top) override;
    void placeWindow(int left, int top, int width, int height) override;

  private:
    SDL_Window* window = nullptr;
};
