#pragma once

// SIGTERM and SIGINT (and whatever a system has like them) ask the game to stop. The first one
// only raises a flag: the frame loop quits at its next pass, and long loading (a room of
// thousands of robots, each reading its set files) gives up at its next line, so the game ends
// promptly and through its own releases in every phase. A second one, if the first has not
// ended it, ends the process at once, as the signal would without a handler.
//
// Installed by the game before SDL starts, so SDL keeps its own handlers out of the way. Each
// system's platform code implements it (platform/system/PosixStopSignals.cpp); the flag below is
// the same everywhere.
void installStopSignals();

// True once a stop was asked for.
bool stopRequested();

// Raises the flag as a signal would.
void requestStop();
