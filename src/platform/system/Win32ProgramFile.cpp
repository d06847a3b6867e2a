#include "platform/system/ProgramFile.h"
#include "platform/system/Win32Names.h"

std::string programFile() {
    std::wstring name(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        // A name that filled the buffer may have been cut short.
        if (length < name.size()) {
            name.resize(length);
            return utf8Name(name);
        }
        if (name.size() >= 32768)
            return {};
        name.resize(name.size() * 2);
    }
}
