#include "tools/common/ReplayOptions.h"

#include "definitions/Quoted.h"

#include "app/StartRoom.h"
#include "game/WorldOperations.h"

#include <charconv>
#include <limits>
#include <string_view>

namespace {

// A whole decimal number in [low, high], nothing else in the word.
bool readWhole(std::string_view word, std::int64_t low, std::int64_t high, std::int64_t& value) {
    if (word.empty() || word[0] == '+' || word[0] == '-')
        return false;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

} // namespace

const CommandLineProgram ReplayProgram{
    "marrowgast-replay",
    "usage: marrowgast-replay [--steps N] [--root DIR] [--keys FILE] [--trace FILE] [--trace-objects FILE]\n"
    "                         [--shot N:FILE.png]... [--size WxH] [--room N] [--side left|right]\n"
    "                         [--max-steps N] [--memory] [--grid] [--version]\n"
    "Runs the game without a window from a key script, as it would have played.\n",
    {
        {"--steps", "N", "run N steps (60 a second); without it, as many as the key script holds"},
        {"--root", "DIR", "the folder that holds res/; without it the data is looked for as the game does"},
        {"--keys", "FILE",
         "the key script to play: STEP KEY down|up lines, or a recording of the game's --record"},
        {"--trace", "FILE", "write the player's state after every step to FILE (- for standard output)"},
        {"--trace-objects", "FILE",
         "write every object's state after every step to FILE (- for standard output)"},
        {"--shot", "N:FILE.png",
         "draw the frame after step N (0: the room as loaded) into FILE.png;\nmay be given again"},
        {"--size", "WxH", "the window the shots are drawn for: 640x480 (the default), 800x600 or 1024x768"},
        {"--room", "N", "start in room N of the ring (1 to 4), as the game's --room"},
        {"--side", "SIDE", "come into that room from the left (the default) or the right"},
        {"--max-steps", "N", "the most steps a run may take (default 10000000, about 46 hours of play)"},
        {"--memory", "", "print the memory held after the first room change and at the end"},
        {"--grid", "", "draw a grid of room units, with row and column numbers, over every shot"},
    },
    "A longer --steps or a later step in the key script than --max-steps is refused. A run that\n"
    "takes more than 5 seconds says how far it has come every 5 seconds on standard error.\n",
};

std::string mostStepsText(std::int64_t mostSteps) {
    // 60 steps a second: 3600 a minute, 216000 an hour.
    const std::int64_t minutes = (mostSteps + 1800) / 3600;
    const std::int64_t hours = (mostSteps + 108000) / 216000;
    std::string play = minutes == 0 ? "under a minute"
                       : hours < 2
                           ? "about " + std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes")
                           : "about " + std::to_string(hours) + " hours";
    return std::to_string(mostSteps) + ", the most steps a run takes (" + play +
           " of play; --max-steps raises it)";
}

bool parseReplayOptions(const std::vector<std::string>& args, ReplayOptions& options, std::string& error) {
    options = ReplayOptions{};
    bool stepsGiven = false;
    constexpr std::int64_t MostSteps = std::numeric_limits<std::int64_t>::max() / 2;

    std::vector<CommandWord> words;
    if (!splitCommandLine(ReplayProgram, args, words, error))
        return false;
    for (const CommandWord& word : words) {
        const std::string& option = word.option;
        const std::string& value = word.value;
        auto fail = [&](const std::string& what) {
            error = option;
            error += ": ";
            error += what;
            return false;
        };
        if (option == "--memory") {
            options.reportMemory = true;
        } else if (option == "--grid") {
            options.grid = true;
        } else if (option == "--steps") {
            if (!readWhole(value, 0, MostSteps, options.steps))
                return fail("expected a whole number of steps from 0, not " + quotedText(value));
            stepsGiven = true;
        } else if (option == "--max-steps") {
            if (!readWhole(value, 1, MostSteps, options.mostSteps))
                return fail("expected a whole number of steps from 1, not " + quotedText(value));
        } else if (option == "--root") {
            options.root = value;
            options.rootGiven = true;
        } else if (option == "--keys") {
            options.keysFile = value;
        } else if (option == "--trace") {
            options.traceFile = value;
        } else if (option == "--trace-objects") {
            options.objectsTraceFile = value;
        } else if (option == "--shot") {
            const std::size_t colon = value.find(':');
            ReplayShot shot;
            if (colon == std::string::npos || colon + 1 >= value.size() ||
                !readWhole(std::string_view(value).substr(0, colon), 0, MostSteps, shot.step))
                return fail("expected STEP:FILE.png, not " + quotedText(value));
            shot.fileName = value.substr(colon + 1);
            options.shots.push_back(shot);
        } else if (option == "--size") {
            if (value == "640x480") {
                options.width = 640;
                options.height = 480;
            } else if (value == "800x600") {
                options.width = 800;
                options.height = 600;
            } else if (value == "1024x768") {
                options.width = 1024;
                options.height = 768;
            } else {
                return fail("expected 640x480, 800x600 or 1024x768, not " + quotedText(value));
            }
            options.sizeGiven = true;
        } else if (option == "--room") {
            if (!readStartRoomNumber(value, options.room))
                return fail("expected a room of the ring from 1 to " + std::to_string(RingSize) + ", not " +
                            quotedText(value));
            options.startGiven = true;
        } else if (option == "--side") {
            if (!readStartSide(value, options.side))
                return fail("expected left or right, not " + quotedText(value));
            options.startGiven = true;
        }
    }

    if (!stepsGiven && options.keysFile.empty()) {
        error = "--steps: missing (how many steps to run; a key script with --keys says it itself)";
        return false;
    }
    if (stepsGiven && options.steps > options.mostSteps) {
        error = "--steps: " + std::to_string(options.steps) + " is past " + mostStepsText(options.mostSteps);
        return false;
    }
    for (const ReplayShot& shot : options.shots) {
        if (stepsGiven && shot.step > options.steps) {
            error = "--shot: step " + std::to_string(shot.step) + " is after the last step, " +
                    std::to_string(options.steps);
            return false;
        }
    }
    if (options.traceFile == "-" && options.objectsTraceFile == "-") {
        error = "--trace-objects: only one trace can go to standard output";
        return false;
    }
    return true;
}
