#include "definitions/StopRequests.h"

#include <csignal>
#include <initializer_list>

namespace {

extern "C" void onStopSignal(int signal) {
    if (stopRequested()) {
        // Asked twice: whatever is taking so long, the player means it.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    requestStop();
}

} // namespace

void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and waits are restarted: the flag is looked at where the game looks, not in
    // every system call.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT}) {
        // A signal the game was started ignoring (a background job's SIGINT) stays ignored.
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}
