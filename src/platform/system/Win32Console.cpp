#include "platform/system/Console.h"

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <io.h>

#include <windows.h>

namespace {

bool errorIsRead = true;

// Given by the starter: a console, or a file or pipe the shell redirected it to.
bool leadsSomewhere(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void useParentConsole() {
    const bool output = leadsSomewhere(STD_OUTPUT_HANDLE);
    const bool error = leadsSomewhere(STD_ERROR_HANDLE);
    if (output && error)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        errorIsRead = error;
        return;
    }
    if (!output)
        std::freopen("CONOUT$", "w", stdout);
    if (!error)
        std::freopen("CONOUT$", "w", stderr);
    errorIsRead = true;
}

void neverTranslateLineEnds() {
    // Files opened from now on, then the standard streams, which are open already.
    _fmode = _O_BINARY;
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool standardErrorIsRead() {
    return errorIsRead;
}
