// The replay tool's key-script parser.
#include "app/KeyScript.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KeyScript script;
    std::string error;
    const bool parsed = parseKeyScript(std::string_view(reinterpret_cast<const char*>(data), size),
                                       "fuzz.keys", script, error);
    // What a parse accepts is ordered by step and holds only codes the keyboard knows.
    if (parsed) {
        for (std::size_t i = 0; i < script.events.size(); ++i) {
            const ScriptedKey& e = script.events[i];
            if (e.step < 1 || e.code < 1 || e.code > 255 || (e.pressed != 0 && e.pressed != 1))
                __builtin_trap();
            if (i > 0 && script.events[i - 1].step > e.step)
                __builtin_trap();
            // Nothing a recording holds comes after its end.
            if (script.end && e.step > script.end->step)
                __builtin_trap();
        }
    } else if (error.empty()) {
        __builtin_trap();
    }
    return 0;
}
