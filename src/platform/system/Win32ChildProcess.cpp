#include "platform/system/ChildProcess.h"
#include "platform/system/Win32Names.h"

#include <cstring>

namespace {

// One word of a command line as the C runtime splits it again: quoted when it must be, a run
// of backslashes doubled before a quote and at the end.
void appendWord(std::wstring& line, const std::wstring& word) {
    if (!line.empty())
        line += L' ';
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += word;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

std::string systemMessage(DWORD code) {
    return std::strerror(errorNumberOf(code));
}

} // namespace

struct ChildProcess::Handles {
    HANDLE process = nullptr;
    HANDLE output = nullptr;
    // Every child is in this job, which ends them all when the game's last handle closes, even
    // when the game itself is ended from outside.
    HANDLE job = nullptr;
    std::optional<int> status;
};

ChildProcess::ChildProcess() : handles(std::make_unique<Handles>()) {}

ChildProcess::~ChildProcess() {
    stop();
    if (handles->job != nullptr)
        CloseHandle(handles->job);
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                         std::string& why) {
    stop();
    handles->status.reset();
    if (handles->job == nullptr) {
        handles->job = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (handles->job != nullptr)
            SetInformationJobObject(handles->job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        why = systemMessage(GetLastError());
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, 0, nullptr);
    std::wstring line;
    appendWord(line, wideName(program));
    for (const std::string& argument : arguments)
        appendWord(line, wideName(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    const std::wstring file = wideName(program);
    const BOOL started =
        CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                       nullptr, nullptr, &startup, &info);
    const DWORD error = GetLastError();
    CloseHandle(writeEnd);
    if (input != INVALID_HANDLE_VALUE)
        CloseHandle(input);
    if (!started) {
        CloseHandle(readEnd);
        why = systemMessage(error);
        return false;
    }
    if (handles->job != nullptr)
        AssignProcessToJobObject(handles->job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    handles->process = info.hProcess;
    handles->output = readEnd;
    return true;
}

bool ChildProcess::read(std::string& output) {
    if (handles->output == nullptr)
        return false;
    for (;;) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(handles->output, nullptr, 0, nullptr, &waiting, nullptr)) {
            // The child's end is closed and everything was read.
            CloseHandle(handles->output);
            handles->output = nullptr;
            return false;
        }
        if (waiting == 0)
            return true;
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(handles->output, buffer, waiting < sizeof buffer ? waiting : sizeof buffer, &got,
                      nullptr)) {
            CloseHandle(handles->output);
            handles->output = nullptr;
            return false;
        }
        output.append(buffer, got);
    }
}

std::optional<int> ChildProcess::exitStatus() {
    if (handles->process != nullptr && WaitForSingleObject(handles->process, 0) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(handles->process, &code);
        CloseHandle(handles->process);
        handles->process = nullptr;
        handles->status = static_cast<int>(code);
    }
    return handles->status;
}

bool ChildProcess::running() {
    return handles->process != nullptr && !exitStatus();
}

void ChildProcess::stop() {
    if (handles->process != nullptr) {
        TerminateProcess(handles->process, 1);
        WaitForSingleObject(handles->process, INFINITE);
        exitStatus();
    }
    if (handles->output != nullptr) {
        CloseHandle(handles->output);
        handles->output = nullptr;
    }
}
