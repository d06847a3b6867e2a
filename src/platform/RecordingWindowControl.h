#pragma once
#include <string>
#include <vector>

#include "platform/WindowControl.h"

// The headless twin of the game window: keeps the window's form and place and records every call.
class RecordingWindowControl final : public WindowControl {
  public:
    void setWindowForm(bool fullScreen) override;
    void windowPosition(int& left, int& top) override;
    void placeWindow(int left, int top, int width, int height) override;

    bool fullScreen = false;
    int left = 0;
    int top = 0;
    // The size last placed; whoever makes the twin gives the first.
    int width{};
    int height{};
    std::vector<std::string> calls;
};
