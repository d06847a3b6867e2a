#pragma once
#include <string>
#include <string_view>
#include <vector>

// One key event of a replay: delivered by the input poll of step `step` (from 1).
struct ScriptedKey {
    int step = 0;
    int code = 0;
    int pressed = 0;
};

// A key script: one event per line, "STEP KEY ACTION", fields separated by blanks.
// KEY is a name (left right up down space escape f9 f10 f11 f12 sysrq) or a code (decimal,
// or hex with 0x); ACTION is "down" or "up"; names and actions ignore letter case. "#"
// starts a comment; blank lines are ignored. Events come out ordered by step, those of one
// step in file order.
struct KeyScript {
    std::vector<ScriptedKey> events;
};

// Parses `text`. On a bad line, false with `error` set to "FILE:LINE: what is wrong".
bool parseKeyScript(std::string_view text, const std::string& fileName, KeyScript& script,
                    std::string& error);

// The game's key code for a key name of the script, or 0.
int keyCodeForName(std::string_view name);
