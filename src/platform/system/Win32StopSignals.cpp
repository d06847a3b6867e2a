#include "definitions/StopRequests.h"

#include <windows.h>

namespace {

// Runs on a thread of its own, which the system makes for each event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        // Asked twice: the system's own handler ends the process.
        if (stopRequested())
            return FALSE;
        requestStop();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The process ends when this returns: give the game its few seconds to end through
        // its own releases, which ends this thread too.
        requestStop();
        Sleep(5000);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void installStopSignals() {
    // A console that was started ignoring Ctrl+C (a background start) never calls the handler
    // for it, as a POSIX shell's ignored SIGINT stays ignored.
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
