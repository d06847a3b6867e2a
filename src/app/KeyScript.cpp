#include "app/KeyScript.h"

#include "definitions/NumberText.h"

#include "input/KeyCodes.h"
#include "input/KeyNames.h"

#include "definitions/Quoted.h"
#include "game/WorldOperations.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (i < line.size()) {
        while (i < line.size() && blank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !blank(line[i]))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

// A whole decimal or 0x-hex number in [low, high]; anything else fails.
bool parseNumber(std::string_view word, long long low, long long high, long long& value) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value, base);
    return ec == std::errc() && ptr == end && !word.empty() && word[0] != '-' && word[0] != '+' &&
           value >= low && value <= high;
}

bool parseFloat(std::string_view word, float& value) {
    return readNumberText(word, value) && std::isfinite(value);
}

// The sizes the game can be played at.
bool parseSize(std::string_view word, ScriptStart& start) {
    if (word == "640x480")
        start.width = 640, start.height = 480;
    else if (word == "800x600")
        start.width = 800, start.height = 600;
    else if (word == "1024x768")
        start.width = 1024, start.height = 768;
    else
        return false;
    return true;
}

struct LineReader {
    KeyScript& script;
    long long mostStep = LLONG_MAX;
    std::vector<std::string_view> fields;
    bool firstLine = true;
    std::string problem;

    bool fail(std::string what) {
        problem = std::move(what);
        return false;
    }
    bool count(std::size_t wanted, const char* form) {
        if (fields.size() == wanted)
            return true;
        return fail(std::string("expected ") + form + ", found " + std::to_string(fields.size()) + " fields");
    }
    bool stepAt(std::size_t index, long long low, int& step) {
        long long value = 0;
        if (!parseNumber(fields[index], low, LLONG_MAX, value))
            return fail("step must be a whole number from " + std::to_string(low) + ", not " +
                        quotedText(fields[index]));
        const long long most = std::min<long long>(mostStep, INT32_MAX);
        if (value > most)
            return fail("step " + std::to_string(value) + " is past " + std::to_string(most) +
                        (most == mostStep ? ", the most steps a replay runs (--max-steps raises it)"
                                          : ", the largest step a script can name"));
        step = static_cast<int>(value);
        return true;
    }

    bool read() {
        const std::string_view word = fields[0];
        if (script.end)
            return fail("nothing may follow the end line");
        if (word == "start") {
            if (!firstLine)
                return fail("the start line must come first");
            ScriptStart start;
            if (!count(5, "start ROOM SIDE WxH full|window"))
                return false;
            long long room = 0;
            if (!parseNumber(fields[1], 1, static_cast<long long>(RingSize), room))
                return fail("room must be 1 to " + std::to_string(RingSize) + ", not " +
                            quotedText(fields[1]));
            start.room = static_cast<int>(room);
            if (fields[2] != "left" && fields[2] != "right")
                return fail("side must be left or right, not " + quotedText(fields[2]));
            start.side = fields[2] == "right" ? 1 : 0;
            if (!parseSize(fields[3], start))
                return fail("size must be 640x480, 800x600 or 1024x768, not " + quotedText(fields[3]));
            if (fields[4] != "full" && fields[4] != "window")
                return fail("expected full or window, not " + quotedText(fields[4]));
            start.fullScreen = fields[4] == "full";
            script.start = start;
            return true;
        }
        if (word == "focus") {
            ScriptFocus focus;
            if (!count(3, "focus lost|gained STEP") || !stepAt(2, 1, focus.step))
                return false;
            if (fields[1] != "lost" && fields[1] != "gained")
                return fail("expected lost or gained, not " + quotedText(fields[1]));
            focus.gained = fields[1] == "gained";
            script.focusChanges.push_back(focus);
            return true;
        }
        if (word == "shot" || word == "reload") {
            int step = 0;
            if (!count(2, word == "shot" ? "shot STEP" : "reload STEP") ||
                !stepAt(1, word == "shot" ? 0 : 1, step))
                return false;
            (word == "shot" ? script.shots : script.reloads).push_back(step);
            return true;
        }
        if (word == "end") {
            ScriptEnd end;
            long long room = 0;
            if (!count(5, "end STEP ROOM X Y") || !stepAt(1, 0, end.step))
                return false;
            if (!parseNumber(fields[2], 1, static_cast<long long>(RingSize), room))
                return fail("room must be 1 to " + std::to_string(RingSize) + ", not " +
                            quotedText(fields[2]));
            end.room = static_cast<int>(room);
            if (!parseFloat(fields[3], end.x) || !parseFloat(fields[4], end.y))
                return fail("the position must be two numbers, not " +
                            quotedText(std::string(fields[3]) + " " + std::string(fields[4])));
            if (end.step < script.lastStep())
                return fail("the end line's step comes before a step of the script");
            script.end = end;
            return true;
        }
        if (!count(3, "STEP KEY ACTION"))
            return false;
        ScriptedKey event;
        if (!stepAt(0, 1, event.step))
            return false;
        event.code = keyCodeForName(fields[1]);
        if (event.code == 0) {
            long long code = 0;
            if (!parseNumber(fields[1], 1, KeyCodeCount - 1, code))
                return fail("unknown key " + quotedText(fields[1]));
            event.code = static_cast<int>(code);
        }
        if (sameWordFolded(fields[2], "down"))
            event.pressed = 1;
        else if (sameWordFolded(fields[2], "up"))
            event.pressed = 0;
        else
            return fail("action must be down or up, not " + quotedText(fields[2]));
        script.events.push_back(event);
        return true;
    }
};

} // namespace

int KeyScript::lastStep() const {
    if (end)
        return end->step;
    int last = 0;
    for (const ScriptedKey& event : events)
        last = std::max(last, event.step);
    for (const ScriptFocus& focus : focusChanges)
        last = std::max(last, focus.step);
    for (int step : shots)
        last = std::max(last, step);
    for (int step : reloads)
        last = std::max(last, step);
    return last;
}

bool parseKeyScript(std::string_view text, const std::string& fileName, KeyScript& script, std::string& error,
                    long long mostStep) {
    script = KeyScript{};
    LineReader reader{script, mostStep, {}, true, {}};
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        line = line.substr(0, line.find('#'));
        reader.fields = fieldsOf(line);
        if (reader.fields.empty())
            continue;
        if (!reader.read()) {
            error = fileName + ":" + std::to_string(lineNumber) + ": " + reader.problem;
            return false;
        }
        reader.firstLine = false;
    }
    auto byStep = [](const auto& a, const auto& b) { return a.step < b.step; };
    std::stable_sort(script.events.begin(), script.events.end(), byStep);
    std::stable_sort(script.focusChanges.begin(), script.focusChanges.end(), byStep);
    std::sort(script.shots.begin(), script.shots.end());
    std::sort(script.reloads.begin(), script.reloads.end());
    return true;
}
