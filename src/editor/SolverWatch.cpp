#include "editor/SolverWatch.h"

#include "definitions/NumberText.h"
#include "platform/OutputFile.h"

#include <charconv>
#include <filesystem>
#include <sstream>
#include <utility>

namespace {

constexpr const char* WayWords[2] = {"east", "west"};

bool readInt(const std::string& word, int& value) {
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// One "answer WAY ..." line's words after the way, read into `answer`; false when they are
// not an answer.
bool readAnswer(std::istringstream& words, WayAnswer& answer) {
    std::string kind;
    words >> kind;
    if (kind == "crossed") {
        std::string steps, window, key, upDown, at;
        words >> steps >> window >> key >> upDown >> at;
        if (!readInt(steps, answer.steps) || !readInt(window, answer.window))
            return false;
        answer.event = key == "none" ? "" : key + " " + upDown + " at step " + at;
        answer.state = WayAnswer::State::Crossed;
        return true;
    }
    if (kind == "not-crossed") {
        std::string maxSteps;
        words >> maxSteps;
        answer.state = WayAnswer::State::NotCrossed;
        return readInt(maxSteps, answer.maxSteps);
    }
    if (kind == "stopped") {
        std::getline(words >> std::ws, answer.reason);
        answer.state = WayAnswer::State::Stopped;
        return true;
    }
    return false;
}

} // namespace

SolverWatch::SolverWatch(std::string solver, std::string dataFolder, std::string scratch)
    : solver(std::move(solver)), dataFolder(std::move(dataFolder)), scratch(std::move(scratch)) {}

bool SolverWatch::search(std::string_view roomText, std::string& why) {
    stop();
    for (Run& run : runs) {
        run.pending.clear();
        run.answer = WayAnswer{};
    }
    const std::string room = scratch + "/room.txt";
    bool started = replaceFile(room, roomText, why);
    if (!started)
        why = "cannot write the room for the solver: " + why;
    for (int way = 0; way < 2 && started; ++way) {
        Run& run = runs[static_cast<std::size_t>(way)];
        started = run.child.start(solver,
                                  {"--root", dataFolder, "--room-file", room, "--way", WayWords[way],
                                   "--lines", "--keys-out", scratch},
                                  why);
        if (!started)
            why.insert(0, "cannot start the solver " + solver + ": ");
        else
            run.answer.state = WayAnswer::State::Searching;
    }
    if (started)
        return true;
    stop();
    for (Run& run : runs) {
        run.answer.state = WayAnswer::State::Failed;
        run.answer.reason = why;
    }
    return false;
}

bool SolverWatch::poll() {
    bool changed = false;
    for (int way = 0; way < 2; ++way)
        changed = readLines(runs[static_cast<std::size_t>(way)], way) || changed;
    return changed;
}

bool SolverWatch::readLines(Run& run, int way) {
    // A way never searched has no child: nothing to read, and it stays as it is.
    const bool open = run.child.read(run.pending);
    bool changed = false;
    std::string lastMessage;
    std::size_t start = 0;
    for (std::size_t end; (end = run.pending.find('\n', start)) != std::string::npos; start = end + 1) {
        std::istringstream words(run.pending.substr(start, end - start));
        std::string what, wayWord;
        words >> what >> wayWord;
        if (what == "answer" && wayWord == WayWords[way]) {
            changed = readAnswer(words, run.answer) || changed;
        } else if (what == "path" && wayWord == WayWords[way]) {
            std::string x, y;
            words >> x >> y;
            std::pair<float, float> at;
            if (readNumberText(x, at.first) && readNumberText(y, at.second)) {
                run.answer.path.push_back(at);
                changed = true;
            }
        } else if (what == "reached" && wayWord == WayWords[way]) {
            std::string x, y;
            words >> x >> y;
            std::pair<int, int> cell;
            if (readInt(x, cell.first) && readInt(y, cell.second)) {
                run.answer.reached.push_back(cell);
                changed = true;
            }
        } else if (what == "marrowgast-solve:") {
            lastMessage = run.pending.substr(start + what.size() + 1, end - start - what.size() - 1);
        }
    }
    if (!lastMessage.empty())
        run.answer.reason = lastMessage;
    run.pending.erase(0, start);
    if (open || run.child.running())
        return changed;
    // The child has ended and everything it wrote is read: an end without an answer is a failure.
    if (run.answer.state == WayAnswer::State::Searching) {
        run.answer.state = WayAnswer::State::Failed;
        if (run.answer.reason.empty())
            run.answer.reason = "the solver ended without an answer";
        changed = true;
    }
    return changed;
}

std::string SolverWatch::answerText(int way) const {
    const WayAnswer& a = answer(way);
    std::string start = std::string(WayWords[way]) + ": ";
    switch (a.state) {
    case WayAnswer::State::Idle:
        return start + "not searched";
    case WayAnswer::State::Searching:
        return start + "searching";
    case WayAnswer::State::Crossed:
        return start + "crossed in " + std::to_string(a.steps) + " steps, " +
               (a.event.empty() ? "no key pressed"
                                : "tightest window " + std::to_string(a.window) + " steps (" + a.event + ")");
    case WayAnswer::State::NotCrossed:
        return start + "not crossed within " + std::to_string(a.maxSteps) + " steps";
    case WayAnswer::State::Stopped:
        return start + "not known: " + a.reason;
    case WayAnswer::State::Failed:
        return start + "no answer: " + a.reason;
    }
    return start;
}

std::string SolverWatch::keysFile(int way) const {
    return scratch + "/" + WayWords[way] + ".keys";
}

int SolverWatch::searching() {
    int count = 0;
    for (Run& run : runs)
        count += run.child.running() ? 1 : 0;
    return count;
}

void SolverWatch::stop() {
    for (Run& run : runs)
        run.child.stop();
}

std::string findTool(const std::string& programFile, std::string_view tool, std::string& looked) {
    looked.clear();
    if (programFile.empty()) {
        looked = "nowhere: the game's own file is not known";
        return "";
    }
    const std::filesystem::path program(programFile);
    // The game's own ending (".exe" where there is one) is the tools' too.
    const std::string name = std::string(tool) + program.extension().string();
    const std::filesystem::path folder = program.parent_path();
    for (const std::filesystem::path& place : {folder / name, folder.parent_path() / "bin" / name}) {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(place, ignored))
            return place.string();
        looked += (looked.empty() ? "" : ", ") + place.string();
    }
    return "";
}
