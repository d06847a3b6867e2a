#pragma once
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One key event of a replay: delivered by the input poll of step `step` (from 1).
struct ScriptedKey {
    int step = 0;
    int code = 0;
    int pressed = 0;
};

// Where a recorded run started: "start ROOM SIDE WxH full|window".
struct ScriptStart {
    int room = 1;
    int side = 0;
    int width = 640;
    int height = 480;
    bool fullScreen = false;
};

// "focus lost STEP" / "focus gained STEP": the window lost or regained the keyboard before
// the input poll of step STEP.
struct ScriptFocus {
    int step = 0;
    bool gained = false;
};

// "end STEP ROOM X Y": the run ended after step STEP with the player in ring room ROOM at
// (X, Y), the numbers written so that they read back exactly.
struct ScriptEnd {
    int step = 0;
    int room = 1;
    float x = 0.0f;
    float y = 0.0f;
};

// A key script: one event per line, "STEP KEY ACTION", fields separated by blanks.
// KEY is a name (left right up down space escape f9 f10 f11 f12 sysrq) or a code (decimal,
// or hex with 0x); ACTION is "down" or "up"; names and actions ignore letter case. "#"
// starts a comment; blank lines are ignored. Events come out ordered by step, those of one
// step in file order.
//
// A recording made by the game (marrowgast --record) adds lines that the replay needs to be
// exact: a first "start" line, "focus", "shot STEP" (the game's screenshot was taken after
// step STEP), "reload STEP" (the room was read again behind the curtain of step STEP) and a
// last "end" line. docs/ROOMS.md describes them.
struct KeyScript {
    std::vector<ScriptedKey> events;
    std::optional<ScriptStart> start;
    std::vector<ScriptFocus> focusChanges;
    std::vector<int> shots;
    std::vector<int> reloads;
    std::optional<ScriptEnd> end;

    // The script came from the game: it has a start line.
    bool recorded() const { return start.has_value(); }
    // The step of the end line, else of the last line with a step; 0 for none.
    int lastStep() const;
};

// Parses `text`. On a bad line, false with `error` set to "FILE:LINE: what is wrong". A step
// past `mostStep` (the replay's bound, --max-steps) is refused and the bound named, as is
// any past the largest int.
bool parseKeyScript(std::string_view text, const std::string& fileName, KeyScript& script, std::string& error,
                    long long mostStep = LLONG_MAX);
