#include "platform/system/MainLoop.h"

int runMainLoop(const std::function<bool()>& pass, const std::function<int()>& finish) {
    while (pass()) {
    }
    return finish();
}
