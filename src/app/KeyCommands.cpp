#include "app/KeyCommands.h"

#include "actors/Player.h"
#include "app/DisplayMode.h"
#include "input/KeyCodes.h"
#include "world/World.h"

namespace {

void chooseSize(int width, int height) {
    theDisplay.displayWidth = width;
    theDisplay.displayHeight = height;
    setDisplayMode(theDisplay.displayWidth, theDisplay.displayHeight, theDisplay.fullScreen);
}

} // namespace

void dispatchKey(int code, int pressed) {
    if (pressed == 0) {
        switch (code) {
        case KeyCodeEscape:
            world.quitRequested = true;
            break;
        case KeyCodeF9:
            chooseSize(640, 480);
            break;
        case KeyCodeF10:
            chooseSize(800, 600);
            break;
        case KeyCodeF11:
            chooseSize(1024, 768);
            break;
        case KeyCodeF12:
            theDisplay.fullScreen = !theDisplay.fullScreen;
            setDisplayMode(theDisplay.displayWidth, theDisplay.displayHeight, theDisplay.fullScreen);
            break;
        case KeyCodePrintScreen:
            theDisplay.screenshotRequested = true;
            break;
        default:
            break;
        }
    }
    if (world.player)
        world.player->handleKey(code, pressed);
}
