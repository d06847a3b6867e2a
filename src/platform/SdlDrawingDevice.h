#pragma once
#include <memory>
#include <string>

#include "graphics/DrawingDevice.h"

struct SDL_Window;

// The drawing device for the game window: SDL's accelerated renderer where the machine has one,
// its software renderer otherwise; the back buffer is a render target of exactly the chosen size,
// presented scaled to the window with its 4:3 shape. On failure: null, and `error` names what
// failed with SDL's text.
std::unique_ptr<DrawingDevice> createWindowDrawingDevice(SDL_Window* window, int width, int height,
                                                         std::string& error);

// The same device for tests and tools: SDL's software renderer drawing into a surface, no window.
std::unique_ptr<DrawingDevice> createHeadlessDrawingDevice(int width, int height, std::string& error);

// Start-up: the device for the game window at `width` × `height`, installed as the run's device.
// Returns an empty string, or one line naming what failed.
std::string initGraphics(SDL_Window* window, int width, int height);
