#include "platform/system/MainLoop.h"

// Windows runs the game as a desktop does: a plain loop.
int runMainLoop(const std::function<bool()>& pass, const std::function<int()>& finish) {
    while (pass()) {
    }
    return finish();
}
