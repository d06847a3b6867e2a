#pragma once

// Every key event of a step passes through here: on release, Escape asks to quit, F9 to F11
// choose the display size, F12 toggles full screen and Print Screen asks for a screenshot;
// then the player sees the event, command key or not.
void dispatchKey(int code, int pressed);
