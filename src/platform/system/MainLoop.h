#pragma once
#include <functional>

// Drives the game: `pass` until it returns false, then `finish`, whose status ends the program.
// On a desktop a plain loop that returns that status. In a browser the page must keep drawing,
// so it is one pass per animation frame and the call never returns: everything the caller
// holds stays in place for the passes, and `finish`'s status ends the program there.
int runMainLoop(const std::function<bool()>& pass, const std::function<int()>& finish);
