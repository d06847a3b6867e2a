#include "editor/CheckWatch.h"

#include "platform/OutputFile.h"

#include <charconv>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr std::string_view MeasurePrefix = "measure: ";
constexpr std::string_view ErrorPrefix = "marrowgast-check: ";

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// The count that ends every check: "no problems found", "2 problems found, 1 warning".
bool isSummary(std::string_view line) {
    if (startsWith(line, "no problems found"))
        return true;
    const std::size_t digits = line.find_first_not_of("0123456789");
    return digits > 0 && digits != std::string_view::npos && startsWith(line.substr(digits), " problem");
}

} // namespace

CheckWatch::CheckWatch(std::string checker, std::string dataFolder, std::string scratch)
    : checker(std::move(checker)), dataFolder(std::move(dataFolder)), copy(std::move(scratch) + "/room.txt") {
}

bool CheckWatch::check(std::string_view roomText, std::string& why) {
    child.stop();
    pending.clear();
    coming.clear();
    comingMeasures.clear();
    summarised = false;
    lastError.clear();
    bool started = replaceFile(copy, roomText, why);
    if (!started)
        why = "cannot write the room for the check: " + why;
    else if (!(started = child.start(checker, {"--root", dataFolder, "--measure", copy}, why)))
        why.insert(0, "cannot start the check " + checker + ": ");
    current = started ? State::Checking : State::Failed;
    if (!started) {
        reason = why;
        found.clear();
        measured.clear();
    }
    return started;
}

bool CheckWatch::poll() {
    if (current != State::Checking)
        return false;
    const bool open = child.read(pending);
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
        readLine(std::string_view(pending).substr(start, end - start));
    pending.erase(0, start);
    if (open || child.running())
        return false;
    finish();
    return true;
}

void CheckWatch::readLine(std::string_view line) {
    if (startsWith(line, ErrorPrefix)) {
        lastError = line.substr(ErrorPrefix.size());
        return;
    }
    if (isSummary(line)) {
        summarised = true;
        return;
    }
    CheckFinding finding;
    if (startsWith(line, copy + ":")) {
        std::string_view rest = line.substr(copy.size() + 1);
        const auto [end, failed] = std::from_chars(rest.data(), rest.data() + rest.size(), finding.line);
        if (failed == std::errc() && startsWith(std::string_view(end, rest.data() + rest.size() - end), ": "))
            rest.remove_prefix(static_cast<std::size_t>(end - rest.data()) + 1);
        else
            finding.line = 0;
        rest.remove_prefix(rest.empty() ? 0 : 1);
        if (finding.line == 0 && startsWith(rest, MeasurePrefix)) {
            comingMeasures = rest.substr(MeasurePrefix.size());
            return;
        }
        finding.message = rest;
    } else {
        // Another file's ("res/textures/robot_a.set: no animation ..."): whole, as the check says it.
        const std::size_t colon = line.find(": ");
        if (colon == std::string_view::npos)
            return;
        finding.file = line.substr(0, colon);
        finding.message = line.substr(colon + 2);
    }
    coming.push_back(std::move(finding));
}

void CheckWatch::finish() {
    if (!pending.empty())
        readLine(pending);
    pending.clear();
    // The count comes last: with it the check ran through (a room it cannot open is a finding).
    if (summarised) {
        current = State::Done;
        found = std::move(coming);
        measured = std::move(comingMeasures);
        reason.clear();
    } else {
        current = State::Failed;
        const std::optional<int> status = child.exitStatus();
        reason = !lastError.empty() ? lastError
                 : status ? "the check ended without its count (status " + std::to_string(*status) + ")"
                          : "the check ended without its count";
        found.clear();
        measured.clear();
    }
    coming.clear();
    comingMeasures.clear();
}

std::string CheckWatch::summaryText() const {
    switch (current) {
    case State::Idle:
        return "check: not run";
    case State::Checking:
        return "check: checking";
    case State::Failed:
        return "check: no answer: " + reason;
    case State::Done:
        break;
    }
    std::string text = found.empty()       ? "check: no findings"
                       : found.size() == 1 ? "check: 1 finding"
                                           : "check: " + std::to_string(found.size()) + " findings";
    return measured.empty() ? text : text + ", " + measured;
}

std::string findingText(const CheckFinding& finding) {
    if (!finding.file.empty())
        return "finding in " + finding.file + ": " + finding.message;
    if (finding.line == 0)
        return "finding: " + finding.message;
    return "finding at line " + std::to_string(finding.line) + ": " + finding.message;
}

std::optional<std::size_t> findingLine(const CheckFinding& finding) {
    if (finding.line <= 0 || !finding.file.empty())
        return std::nullopt;
    return static_cast<std::size_t>(finding.line - 1);
}
