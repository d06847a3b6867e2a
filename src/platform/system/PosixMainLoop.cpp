#include "platform/system/MainLoop.h"

int runMainLoop(std::function<bool()> pass, std::function<int()> finish) {
    while (pass()) {
    }
    return finish();
}
