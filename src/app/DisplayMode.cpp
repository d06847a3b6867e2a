#include "app/DisplayMode.h"

#include "graphics/Graphics.h"
#include "platform/ImageFile.h"
#include "platform/WindowControl.h"

DisplayState theDisplay;

bool setDisplayMode(int width, int height, bool fullScreen) {
    if (WindowControl* window = theDisplay.window) {
        // Read before restyling: leaving full screen keeps the place the window had in it.
        int left = 0;
        int top = 0;
        window->windowPosition(left, top);
        window->setWindowForm(fullScreen);
        if (fullScreen) {
            left = 0;
            top = 0;
        }
        window->placeWindow(left, top, width, height);
    }
    return resetDevice(width, height, fullScreen);
}

void saveScreenshot() {
    RgbaImage backBuffer;
    if (!theDisplay.screenshotFile.empty() && theGraphics.device &&
        theGraphics.device->readBackBuffer(backBuffer)) {
        writePngFile(theDisplay.screenshotFile, backBuffer, false);
    }
    theDisplay.screenshotRequested = false;
}

void saveRequestedScreenshot() {
    if (theDisplay.screenshotRequested)
        saveScreenshot();
}
