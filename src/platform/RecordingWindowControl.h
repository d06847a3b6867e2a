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
    int width = 640;
    int height = 480;
    std::vector<std::string> calls;
};
