#pragma once
#include <functional>
#include <string>

class WindowControl;

// The file every screenshot replaces, beside res/ unless the game says otherwise.
inline constexpr const char* ScreenshotFileName = "screenshot.png";

// The display settings of the run, one instance.
struct DisplayState {
    int displayWidth = 640;
    int displayHeight = 480;
    bool fullScreen = false;
    bool screenshotRequested = false;
    // Where the screenshot goes, in the data folder when relative. The game names the folder it
    // was started from, since its data folder may be read-only; empty: screenshots are not saved.
    std::string screenshotFile = ScreenshotFileName;
    // Told when a requested screenshot could not be saved: why, and where. None: silence.
    std::function<void(const std::string& message)> screenshotFailed;
    // The game window; set at start-up.
    WindowControl* window = nullptr;
};

extern DisplayState theDisplay;

// Restyles and places the window for the form (windowed keeps its top left corner, full screen
// goes to the screen's corner) and resets the device to the new back buffer, even when nothing
// changed. Returns the reset's result.
bool setDisplayMode(int width, int height, bool fullScreen);

// Writes the back buffer as drawn so far to `screenshotFile` (8-bit RGB, the back buffer's pixel
// size) and clears the request whether or not that worked; a failure goes to `screenshotFailed`.
void saveScreenshot();
// The game's part of each world frame: saveScreenshot when a screenshot was asked for.
void saveRequestedScreenshot();
