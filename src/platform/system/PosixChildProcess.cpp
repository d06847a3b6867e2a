#include "platform/system/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

struct ChildProcess::Handles {
    std::optional<pid_t> pid;
    int output = -1;
    std::optional<int> status;
};

namespace {

// The child's status once it has ended, as a shell gives it (128 + the signal for a killed one);
// nothing while it runs under WNOHANG. A signal that interrupts the wait does not end it.
std::optional<int> waitFor(pid_t pid, int flags) {
    int status{};
    pid_t ended{};
    do
        ended = ::waitpid(pid, &status, flags);
    while (ended < 0 && errno == EINTR);
    if (ended != pid)
        return std::nullopt;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

ChildProcess::ChildProcess() : handles(std::make_unique<Handles>()) {}

ChildProcess::~ChildProcess() {
    stop();
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                         std::string& why) {
    stop();
    handles->status.reset();
    // Everything the child needs is made before the fork: between fork and exec only system
    // calls run, as the game has other threads (sound) that a fork does not copy.
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    std::transform(words.begin(), words.end(), std::back_inserter(argv),
                   [](std::string& word) { return word.data(); });
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        why = std::strerror(errno);
        return false;
    }
    // A status pipe tells the parent whether exec failed, and why.
    int failure[2];
    if (::pipe2(failure, O_CLOEXEC) != 0) {
        why = std::strerror(errno);
        ::close(pipe[0]);
        ::close(pipe[1]);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
#if defined(__linux__)
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
#endif
        (void)parent;
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, 0);
        ::dup2(pipe[1], 1);
        ::dup2(pipe[1], 2);
        ::execv(program.c_str(), argv.data());
        const int error = errno;
        ssize_t ignored = ::write(failure[1], &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }
    ::close(pipe[1]);
    ::close(failure[1]);
    if (pid < 0) {
        why = std::strerror(errno);
        ::close(pipe[0]);
        ::close(failure[0]);
        return false;
    }
    int error = 0;
    ssize_t got;
    do
        got = ::read(failure[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(failure[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        why = std::strerror(error);
        ::close(pipe[0]);
        waitFor(pid, 0);
        return false;
    }
    ::fcntl(pipe[0], F_SETFL, ::fcntl(pipe[0], F_GETFL) | O_NONBLOCK);
    handles->pid = pid;
    handles->output = pipe[0];
    return true;
}

bool ChildProcess::read(std::string& output) {
    if (handles->output < 0)
        return false;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(handles->output, buffer, sizeof buffer);
        if (got > 0) {
            output.append(buffer, static_cast<std::size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        } else {
            ::close(handles->output);
            handles->output = -1;
            return false;
        }
    }
}

std::optional<int> ChildProcess::exitStatus() {
    if (handles->pid) {
        handles->status = waitFor(*handles->pid, WNOHANG);
        if (handles->status)
            handles->pid.reset();
    }
    return handles->status;
}

bool ChildProcess::running() {
    return handles->pid && !exitStatus();
}

void ChildProcess::stop() {
    if (handles->pid) {
        ::kill(*handles->pid, SIGKILL);
        handles->status = waitFor(*handles->pid, 0);
        handles->pid.reset();
    }
    if (handles->output >= 0) {
        ::close(handles->output);
        handles->output = -1;
    }
}
