#include "input/KeyNames.h"

#include "input/KeyCodes.h"

namespace {

struct Named {
    const char* name;
    int code;
};

constexpr Named Names[] = {
    {"left", KeyCodeLeft}, {"right", KeyCodeRight},       {"up", KeyCodeUp},
    {"down", KeyCodeDown}, {"space", KeyCodeSpace},       {"escape", KeyCodeEscape},
    {"f9", KeyCodeF9},     {"f10", KeyCodeF10},           {"f11", KeyCodeF11},
    {"f12", KeyCodeF12},   {"sysrq", KeyCodePrintScreen},
};

} // namespace

int keyCodeForName(std::string_view name) {
    for (const Named& n : Names)
        if (sameWordFolded(name, n.name))
            return n.code;
    return 0;
}

const char* keyNameForCode(int code) {
    for (const Named& n : Names)
        if (n.code == code)
            return n.name;
    return nullptr;
}

bool sameWordFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}
