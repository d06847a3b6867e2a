#include "platform/system/MainLoop.h"

#include <emscripten.h>

#include <cstdio>
#include <utility>

namespace {

std::function<bool()> thePass;
std::function<int()> theFinish;

void onAnimationFrame() {
    if (thePass())
        return;
    emscripten_cancel_main_loop();
    const int status = theFinish();
    std::fflush(stdout);
    std::fflush(stderr);
    // Ends the program even though the browser's loop kept it alive; the page hears of it
    // through Module.onExit, with the status.
    emscripten_force_exit(status);
}

} // namespace

int runMainLoop(const std::function<bool()>& pass, const std::function<int()>& finish) {
    thePass = pass;
    theFinish = finish;
    // The browser's frames drive the passes (fps 0: requestAnimationFrame). Simulating an
    // endless loop returns to the browser here and keeps the caller's stack as it is, so what
    // the passes use stays alive.
    emscripten_set_main_loop(onAnimationFrame, 0, 1);
    return 0;
}
