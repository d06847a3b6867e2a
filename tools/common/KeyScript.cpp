#include "tools/common/KeyScript.h"

#include "input/KeyCodes.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

bool equalsFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i])
            return false;
    }
    return true;
}

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

} // namespace

int keyCodeForName(std::string_view name) {
    struct Named {
        const char* name;
        int code;
    };
    static constexpr Named names[] = {
        {"left", KeyCodeLeft}, {"right", KeyCodeRight},       {"up", KeyCodeUp},
        {"down", KeyCodeDown}, {"space", KeyCodeSpace},       {"escape", KeyCodeEscape},
        {"f9", KeyCodeF9},     {"f10", KeyCodeF10},           {"f11", KeyCodeF11},
        {"f12", KeyCodeF12},   {"sysrq", KeyCodePrintScreen},
    };
    for (const Named& n : names)
        if (equalsFolded(name, n.name))
            return n.code;
    return 0;
}

bool parseKeyScript(std::string_view text, const std::string& fileName, KeyScript& script,
                    std::string& error) {
    script.events.clear();
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        line = line.substr(0, line.find('#'));
        const std::vector<std::string_view> fields = fieldsOf(line);
        if (fields.empty())
            continue;
        auto fail = [&](const std::string& what) {
            error = fileName;
            error += ":" + std::to_string(lineNumber) + ": ";
            error += what;
            return false;
        };
        if (fields.size() != 3)
            return fail("expected STEP KEY ACTION, found " + std::to_string(fields.size()) + " fields");
        ScriptedKey event;
        long long step = 0;
        if (!parseNumber(fields[0], 1, INT32_MAX, step))
            return fail("step must be a whole number from 1, not \"" + std::string(fields[0]) + "\"");
        event.step = static_cast<int>(step);
        event.code = keyCodeForName(fields[1]);
        if (event.code == 0) {
            long long code = 0;
            if (!parseNumber(fields[1], 1, KeyCodeCount - 1, code))
                return fail("unknown key \"" + std::string(fields[1]) + "\"");
            event.code = static_cast<int>(code);
        }
        if (equalsFolded(fields[2], "down"))
            event.pressed = 1;
        else if (equalsFolded(fields[2], "up"))
            event.pressed = 0;
        else
            return fail("action must be down or up, not \"" + std::string(fields[2]) + "\"");
        script.events.push_back(event);
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptedKey& a, const ScriptedKey& b) { return a.step < b.step; });
    return true;
}
