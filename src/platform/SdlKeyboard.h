#pragma once
#include "input/Keyboard.h"

#include <SDL.h>

// The game's key code for a physical key, or 0 for a key that has none.
int keyCodeFromScancode(SDL_Scancode scancode);

// The key event an SDL event stands for. False for anything but a key press or release,
// for SDL's repeats of a held key, and for keys without a game key code.
bool translateKeyEvent(const SDL_Event& event, KeyEvent& out);

// The event pump's entry point: every SDL keyboard event goes through here.
void queueSdlKeyEvent(InputState& input, const SDL_Event& event);
