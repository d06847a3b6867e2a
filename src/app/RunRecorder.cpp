#include "app/RunRecorder.h"

#include "definitions/NumberText.h"
#include "definitions/Quoted.h"

#include "input/KeyNames.h"

#include <charconv>
#include <type_traits>

namespace {

template <class Number> std::string text(Number value) {
    // Floats come out as the shortest text that reads back as exactly the same float.
    if constexpr (std::is_floating_point_v<Number>) {
        return shortestText(value);
    } else {
        char digits[MaxShortestTextLength];
        return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    }
}

} // namespace

RunRecorder::~RunRecorder() {
    flush();
    // A run that never wrote a step leaves the file as it found it: an old file as it was, a
    // new one gone.
    if (!written)
        file.discard();
}

bool RunRecorder::open(const std::string& name, std::string& error) {
    std::string why;
    if (!file.open(name, OutputFile::Accept::RegularFile, why) || !file.lock(why)) {
        file.discard();
        error = "cannot write the recording " + quotedText(name) + ": " + why;
        return false;
    }
    fileName = name;
    return true;
}

void RunRecorder::line(const std::string& text) {
    if (!file.isOpen() || writeFailed)
        return;
    pending += text;
    pending += '\n';
}

void RunRecorder::start(const StartRoom& room, int width, int height, bool fullScreen) {
    line("start " + text(room.room) + " " + startSideName(room.side) + " " + text(width) + "x" +
         text(height) + (fullScreen ? " full" : " window"));
}

void RunRecorder::key(std::int64_t step, int code, int pressed) {
    const char* name = keyNameForCode(code);
    line(text(step) + " " + (name != nullptr ? std::string(name) : text(code)) +
         (pressed != 0 ? " down" : " up"));
}

void RunRecorder::focus(bool gained, std::int64_t step) {
    line(std::string(gained ? "focus gained " : "focus lost ") + text(step));
}

void RunRecorder::shot(std::int64_t step) {
    line("shot " + text(step));
}

void RunRecorder::reload(std::int64_t step) {
    line("reload " + text(step));
}

void RunRecorder::end(std::int64_t step, int room, float x, float y) {
    line("end " + text(step) + " " + text(room) + " " + text(x) + " " + text(y));
    flush();
}

void RunRecorder::flush() {
    if (!file.isOpen() || writeFailed || pending.empty())
        return;
    std::string why;
    const std::int64_t before = written.value_or(0);
    // The first step replaces whatever the file held.
    bool done = (written || file.truncate(0, why)) && file.write(pending, why);
    if (done) {
        written = before + static_cast<std::int64_t>(pending.size());
    } else {
        // Part of a step would replay as another run: cut back to the last whole step.
        std::string ignored;
        file.truncate(static_cast<std::uintmax_t>(before), ignored);
        written = before;
        writeFailed = true;
        if (reportFailure)
            reportFailure("cannot write the recording " + quotedText(fileName) + ": " + why +
                          "; recording stopped, the file keeps the run up to the step before");
    }
    pending.clear();
}
