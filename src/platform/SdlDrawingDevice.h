#pragma once
#include <memory>
#include <string>

#include "graphics/DrawingDevice.h"

struct SDL_Window;

// The drawing device for the game window: frames composed on the CPU like the headless device's,
// then copied into a texture of exactly the back buffer's size and shown scaled to the window
// with their 4:3 shape, by SDL's accelerated renderer where the machine has one and its software
// renderer otherwise. On failure: null, and `error` names what failed with SDL's text.
std::unique_ptr<DrawingDevice> createWindowDrawingDevice(SDL_Window* window, int width, int height,
                                                         std::string& error);

// Start-up: the device for the game window at `width` × `height`, installed as the run's device.
// Returns an empty string, or one line naming what failed.
std::string initGraphics(SDL_Window* window, int width, int height);
