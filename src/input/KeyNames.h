#pragma once
#include <string_view>

// The names key scripts and recordings give the game's keys: left right up down space escape
// f9 f10 f11 f12 sysrq. Every other key is written as its code.

// The key code for a name, ignoring letter case, or 0.
int keyCodeForName(std::string_view name);
// The name of a key code, or null for a key without one.
const char* keyNameForCode(int code);
// Whether two words are the same but for the letter case of A to Z ("Down", "down").
bool sameWordFolded(std::string_view a, std::string_view b);
