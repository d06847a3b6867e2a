#include "app/DisplayMode.h"

#include "definitions/DataFile.h"
#include "definitions/Quoted.h"
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
    const std::string& file = theDisplay.screenshotFile;
    std::string why;
    RgbaImage backBuffer;
    if (file.empty())
        why = "the folder the game was started from is gone";
    else if (!theGraphics.device || !theGraphics.device->readBackBuffer(backBuffer))
        why = "the picture could not be read back";
    else if (writePngFile(dataFilePath(file), backBuffer, false, &why))
        why.clear();
    if (!why.empty() && theDisplay.screenshotFailed)
        theDisplay.screenshotFailed("cannot save the screenshot" +
                                    (file.empty() ? "" : " " + quotedText(file)) + ": " + why);
    theDisplay.screenshotRequested = false;
}

void saveRequestedScreenshot() {
    if (theDisplay.screenshotRequested)
        saveScreenshot();
}
