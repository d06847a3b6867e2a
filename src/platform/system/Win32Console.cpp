#include "platform/system/Console.h"

#include <cstdio>

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

bool standardErrorIsRead() {
    return errorIsRead;
}
