#pragma once
#include <string>

// A Windows game is a GUI program: started from a console it has nowhere to print its --help,
// --version and errors until it attaches to that console; started by a double-click it has
// no console at all, and a start-up failure is shown in a box. Elsewhere the standard output
// and error are where they always were.

// Attaches the standard output and error that lead nowhere to the parent's console, if any.
void useParentConsole();

// False when nothing would read what is written on the standard error (no console, no file).
bool standardErrorIsRead();

// Windows' C library writes "\r\n" for every "\n" on the standard streams and into the files
// it opens in text mode (std::ofstream, fopen "w"), and reads them back so: the programs write
// the same bytes into pipes and files everywhere. Called first in main; elsewhere it does nothing.
void neverTranslateLineEnds();
