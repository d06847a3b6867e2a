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

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto fail = [&](const std::string& what) {
            error = option;
            error += ": ";
            error += what;
            return false;
        };
        if (option == "--memory") {
            options.reportMemory = true;
            continue;
        }
        if (option == "--grid") {
            options.grid = true;
            continue;
        }
        const bool known = option == "--steps" || option == "--root" || option == "--keys" ||
                           option == "--trace" || option == "--trace-objects" || option == "--shot" ||
                           option == "--size" || option == "--room" || option == "--side" ||
                           option == "--max-steps";
        if (!known) {
            error = "unknown option " + quotedText(option);
            return false;
        }
        // An option word where a value should be means the value was left out.
        if (i + 1 >= args.size() || args[i + 1].starts_with("--"))
            return fail("missing value");
        const std::string& value = args[++i];
        if (value.empty())
            return fail("empty value");

        if (option == "--steps") {
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
