#pragma once

class WindowControl;

// The display settings of the run, one instance.
struct DisplayState {
    int displayWidth = 640;
    int displayHeight = 480;
    bool fullScreen = false;
    bool screenshotRequested = false;
    // The game window; set at start-up.
    WindowControl* window = nullptr;
};

extern DisplayState theDisplay;

// The file every screenshot replaces, in the working directory.
inline constexpr const char* ScreenshotFileName = "screenshot.png";

// Restyles and places the window for the form (windowed keeps its top left corner, full screen
// goes to the screen's corner) and resets the device to the new back buffer, even when nothing
// changed. Returns the reset's result.
bool setDisplayMode(int width, int height, bool fullScreen);

// Writes the back buffer as drawn so far to "screenshot.png" (8-bit RGB, the back buffer's pixel
// size) and clears the request whether or not that worked.
void saveScreenshot();
// The game's part of each world frame: saveScreenshot when a screenshot was asked for.
void saveRequestedScreenshot();
