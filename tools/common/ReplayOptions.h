#pragma once
#include "app/CommandLine.h"
#include "tools/common/Progress.h"

#include <cstdint>
#include <string>
#include <vector>

// A frame to draw after step `step` (0: right after the world is loaded) and save as a PNG.
struct ReplayShot {
    std::int64_t step = 0;
    std::string fileName;
};

// The most steps a run may take unless --max-steps raises it: 10 million steps, about 46 hours
// of play, far past any recording a person makes, and a minute or two of work; a step number
// past it in --steps or a key script is refused rather than run for hours.
inline constexpr std::int64_t DefaultMostReplaySteps = 10000000;

// What marrowgast-replay was asked to do. File names are as given on the command line;
// the run resolves them against the directory it starts in.
struct ReplayOptions {
    // -1: as many as the key script holds (to its end line, else its last step).
    std::int64_t steps = -1;
    // The bound on --steps and on the key script's step numbers.
    std::int64_t mostSteps = DefaultMostReplaySteps;
    // How often a long run says how far it has come, on the diagnostics stream.
    double progressSeconds = ProgressSeconds;
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

// The options of marrowgast-replay, with their help.
extern const CommandLineProgram ReplayProgram;

// "N, the most steps a run takes (about H hours of play; --max-steps raises it)", for
// the messages that refuse a step past the bound.
std::string mostStepsText(std::int64_t mostSteps);

// Reads the arguments after the program name. False, with one line in `error` naming the
// option, for an unknown option, a missing or bad value, or neither --steps nor --keys.
bool parseReplayOptions(const std::vector<std::string>& args, ReplayOptions& options, std::string& error);
