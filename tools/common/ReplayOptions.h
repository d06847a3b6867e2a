#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A frame to draw after step `step` (0: right after the world is loaded) and save as a PNG.
struct ReplayShot {
    std::int64_t step = 0;
    std::string fileName;
};

// What marrowgast-replay was asked to do. File names are as given on the command line;
// the run resolves them against the directory it starts in.
struct ReplayOptions {
    // -1: as many as the key script holds (to its end line, else its last step).
    std::int64_t steps = -1;
    // The directory holding res/; the game's own paths and "screenshot.png" are relative to it.
    std::string root = ".";
    // Whether --root was given; without it the tool looks for the data as the game does.
    bool rootGiven = false;
    // Where the game's own screenshot goes; empty: "screenshot.png" under the root.
    std::string screenshotFile;
    std::string keysFile;
    // "-" is standard output.
    std::string traceFile;
    std::string objectsTraceFile;
    std::vector<ReplayShot> shots;
    int width = 640;
    int height = 480;
    // Whether --size, --room or --side were given: they win over a recording's start line.
    bool sizeGiven = false;
    bool startGiven = false;
    // The ring room to start in, from 1, and the side of its entry point: 0 left, 1 right.
    int room = 1;
    int side = 0;
    // Print the resident memory after the first room change and at the end (for soak runs).
    bool reportMemory = false;
    // Draw a unit grid with row and column numbers over every shot.
    bool grid = false;
};

inline constexpr const char* ReplayUsage =
    "usage: marrowgast-replay [--steps N] [--root DIR] [--keys FILE] [--trace FILE] [--trace-objects FILE]\n"
    "                         [--shot N:FILE.png]... [--size WxH] [--room N] [--side left|right]\n"
    "                         [--memory] [--grid]\n";

// Reads the arguments after the program name. False, with one line in `error` naming the
// option, for an unknown option, a missing or bad value, or neither --steps nor --keys.
bool parseReplayOptions(const std::vector<std::string>& args, ReplayOptions& options, std::string& error);
