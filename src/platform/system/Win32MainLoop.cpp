#include "platform/system/MainLoop.h"

// Windows runs the game as a desktop does: a plain loop.
int runMainLoop(std::function<bool()> pass, std::function<int()> finish) {
    while (pass()) {
    }
    return finish();
}
