#include "platform/system/ChildProcess.h"
#include "platform/system/MemoryUse.h"
#include "support/System.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// Reads until the child closes its output, at most `seconds`.
std::string readToEnd(ChildProcess& child, double seconds = 60.0) {
    std::string output;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (child.read(output) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return output;
}

// The solver stands in for any program: its standard output and error both arrive, each
// argument is one word, and its status is kept once it has ended.
TEST(ChildProcess, OutputArgumentsAndStatusArriveWhole) {
    ChildProcess child;
    std::string why;
    EXPECT_FALSE(child.running());
    EXPECT_FALSE(child.exitStatus());
    ASSERT_TRUE(child.start(MARROWGAST_SOLVE_PROGRAM, {"--help"}, why)) << why;
    const std::string help = readToEnd(child);
    EXPECT_NE(help.find("usage: marrowgast-solve"), std::string::npos) << help;
    EXPECT_NE(help.find("--max-memory"), std::string::npos);
    while (child.running())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(child.exitStatus(), 0);

    ASSERT_TRUE(child.start(MARROWGAST_SOLVE_PROGRAM, {"--room", "1 \"2\" \\"}, why)) << why;
    EXPECT_NE(readToEnd(child).find("not \"1 \\\"2\\\" \\\\\""), std::string::npos);
    while (child.running())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(child.exitStatus(), 2);

    EXPECT_FALSE(child.start(MARROWGAST_SOURCE_DIR "/no such program", {}, why));
    EXPECT_EQ(why, "No such file or directory");
    EXPECT_FALSE(child.running());
    EXPECT_FALSE(child.exitStatus());
}

// A search that would take seconds ends at once when stopped, and a new start stops the one
// before; nothing is left to read of it.
TEST(ChildProcess, StopAndRestartEndTheChildAtOnce) {
    ChildProcess child;
    std::string why;
    const std::vector<std::string> search{"--root", MARROWGAST_SOURCE_DIR, "--room", "3", "--way", "west"};
    ASSERT_TRUE(child.start(MARROWGAST_SOLVE_PROGRAM, search, why)) << why;
    ASSERT_TRUE(child.start(MARROWGAST_SOLVE_PROGRAM, search, why)) << why;
    EXPECT_TRUE(child.running());
    const auto before = std::chrono::steady_clock::now();
    child.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
    EXPECT_FALSE(child.running());
#if defined(_WIN32)
    EXPECT_EQ(child.exitStatus(), 1); // TerminateProcess's exit code
#else
    EXPECT_EQ(child.exitStatus(), 128 + SIGKILL);
#endif
    std::string rest;
    EXPECT_FALSE(child.read(rest));
    EXPECT_EQ(rest, "");
}

#if !defined(_WIN32)
// Out of descriptors, neither pipe or only the first can be made: the start fails with the
// system's reason and keeps none of them open.
TEST(ChildProcess, NoDescriptorsLeftIsAReasonAndNoLeak) {
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    const auto lowestFree = [] {
        const int file = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(file);
        return file;
    };
    const int lowest = lowestFree();
    ChildProcess child;
    for (const int room : {0, 2}) {
        rlimit limit = before;
        limit.rlim_cur = static_cast<rlim_t>(lowest + room);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
        std::string why;
        const bool started = child.start(MARROWGAST_SOLVE_PROGRAM, {"--help"}, why);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
        EXPECT_FALSE(started);
        EXPECT_EQ(why, "Too many open files");
        EXPECT_EQ(lowestFree(), lowest);
    }
}
#endif

// The kernel's own count of the process's resident kibibytes, from its status page.
long statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(field.size()));
    return -1;
}

// The replay tool's memory figures are kibibytes, whatever the size of a page.
TEST(MemoryUse, ResidentSizeIsTheKernelsKibibytesAndThePeakIsNoLess) {
#if defined(_WIN32)
    // Windows counts its own working set; a status page seen under Wine is the host's.
    GTEST_SKIP() << "the status page is Linux's";
#endif
    if (statusKiB("VmRSS:") < 0)
        GTEST_SKIP() << "no /proc/self/status here";
    const long before = statusKiB("VmRSS:");
    const long resident = residentKiB();
    const long after = statusKiB("VmRSS:");
    // Pages may come and go between the readings: a tenth either way.
    EXPECT_GE(resident * 10, std::min(before, after) * 9);
    EXPECT_LE(resident * 10, std::max(before, after) * 11);
    EXPECT_GE(peakResidentKiB(), resident);
}

} // namespace
