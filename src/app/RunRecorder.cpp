#include "app/RunRecorder.h"

#include "definitions/NumberText.h"

#include "input/KeyNames.h"

#include <charconv>
#include <type_traits>

namespace {

template <class Number> std::string text(Number value) {
    char digits[MaxShortestTextLength];
    // Floats come out as the shortest text that reads back as exactly the same float.
    if constexpr (std::is_floating_point_v<Number>)
        return std::string(digits, writeShortestText(digits, value));
    else
        return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

} // namespace

RunRecorder::~RunRecorder() {
    if (file) {
        flush();
        std::fclose(file);
    }
}

bool RunRecorder::open(const std::string& fileName, std::string& error) {
    file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write the recording " + fileName;
        return false;
    }
    pending.reserve(1024);
    return true;
}

void RunRecorder::line(const std::string& text) {
    if (!file)
        return;
    pending += text;
    pending += '\n';
}

void RunRecorder::start(const StartRoom& room, int width, int height, bool fullScreen) {
    line("start " + text(room.room) + " " + startSideName(room.side) + " " + text(width) + "x" +
         text(height) + (fullScreen ? " full" : " window"));
    flush();
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
    if (!file || pending.empty())
        return;
    if (std::fwrite(pending.data(), 1, pending.size(), file) != pending.size() || std::fflush(file) != 0)
        writeFailed = true;
    pending.clear();
}
