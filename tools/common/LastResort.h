#pragma once
#include "definitions/Quoted.h"
#include "platform/system/Console.h"

#include <cstdio>
#include <exception>
#include <new>

// The last word of a tool's main: whatever escapes the tool's own handling (the system
// refusing memory, a library throwing) ends it with a message and status 1, never an abort.
// Its standard streams and files carry the same bytes on every system.
template <class Body> int runToTheEnd(const char* tool, Body body) noexcept {
    neverTranslateLineEnds();
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory\n", tool);
    } catch (const std::exception& failure) {
        try {
            std::fprintf(stderr, "%s: %s\n", tool, quotedText(failure.what()).c_str());
        } catch (...) {
            std::fprintf(stderr, "%s: stopped by an unexpected failure\n", tool);
        }
    } catch (...) {
        std::fprintf(stderr, "%s: stopped by an unexpected failure\n", tool);
    }
    return 1;
}
