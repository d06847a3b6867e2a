#pragma once
// What every program of the game answers to --version: its name and version, the holder
// and the licences, so that a program passed on alone still says what may be done with it.
#include <string>
#include <string_view>
#include <vector>

// Lines ending in '\n', the first "PROGRAM VERSION".
std::string versionText(std::string_view program);

// True when the command line asks for the version anywhere in it: the tools answer it
// before reading any other option.
bool asksForVersion(const std::vector<std::string>& args);
